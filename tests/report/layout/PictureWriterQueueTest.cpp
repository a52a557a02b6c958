// The writer thread of a picture conversion: pictures are written in the
// order handed over, few wait at a time, and nothing is written after a
// failed picture.

#include "report/layout/PictureWriterQueue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Stands for a page bitmap: counts how many exist at once.
class Bitmap {
public:
    Bitmap(std::atomic<int> &alive, std::atomic<int> &most) : m_alive(alive)
    {
        const int now = ++m_alive;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
    }
    ~Bitmap() { --m_alive; }
    Bitmap(const Bitmap &) = delete;
    Bitmap &operator=(const Bitmap &) = delete;

private:
    std::atomic<int> &m_alive;
};

class Written {
public:
    void add(int picture)
    {
        const std::lock_guard lock(m_mutex);
        m_pictures.push_back(picture);
    }
    std::vector<int> pictures()
    {
        const std::lock_guard lock(m_mutex);
        return m_pictures;
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_pictures;
};

std::vector<int> upTo(int count)
{
    std::vector<int> numbers(std::size_t(count), 0);
    std::iota(numbers.begin(), numbers.end(), 1);
    return numbers;
}

TEST(PictureWriterQueueTest, WritesInOrderHoldingFewBitmaps)
{
    constexpr int kPictures = 20;
    std::atomic<int> alive{0};
    std::atomic<int> most{0};
    Written written;
    {
        kv::PictureWriterQueue queue(1);
        for (int picture = 1; picture <= kPictures; ++picture) {
            auto bitmap = std::make_shared<Bitmap>(alive, most);
            ASSERT_TRUE(queue.submit([picture, bitmap, &written] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                written.add(picture);
                return true;
            }));
        }
        EXPECT_TRUE(queue.finish());
        EXPECT_EQ(written.pictures(), upTo(kPictures));
        EXPECT_EQ(alive.load(), 0) << "a written picture's bitmap is let go";

        // Leaving the queue completes what was handed over.
        for (int picture = kPictures + 1; picture <= kPictures + 3; ++picture)
            queue.submit([picture, &written] {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                written.add(picture);
                return true;
            });
    }
    EXPECT_EQ(written.pictures(), upTo(kPictures + 3));
    // The one being written, the one waiting and the one the caller holds
    // while it waits for room.
    EXPECT_LE(most.load(), 3);
}

TEST(PictureWriterQueueTest, NothingIsWrittenAfterAFailedPicture)
{
    for (const bool throws : {false, true}) {
        Written tried;
        kv::PictureWriterQueue queue(2);
        for (int picture = 1; picture <= 10; ++picture)
            queue.submit([picture, throws, &tried] {
                tried.add(picture);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                if (picture == 3 && throws)
                    throw std::runtime_error("encoder failed");
                return picture != 3;
            });
        EXPECT_FALSE(queue.finish()) << "throws " << throws;
        EXPECT_EQ(tried.pictures(), upTo(3)) << "throws " << throws;
        EXPECT_FALSE(queue.submit([] { return true; }));
        EXPECT_FALSE(queue.finish());
    }
}

} // namespace
