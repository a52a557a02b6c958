// The writer threads of a picture conversion: every picture handed over is
// written, few wait at a time, and a failed picture leaves exactly the
// pictures before it.

#include "report/layout/PictureWriterQueue.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

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

// Stands for the folder the pictures go to.
class Folder {
public:
    void add(int picture)
    {
        const std::lock_guard lock(m_mutex);
        m_pictures.insert(picture);
    }
    void remove(int picture)
    {
        const std::lock_guard lock(m_mutex);
        m_pictures.erase(picture);
    }
    std::set<int> pictures()
    {
        const std::lock_guard lock(m_mutex);
        return m_pictures;
    }

private:
    std::mutex m_mutex;
    std::set<int> m_pictures;
};

std::set<int> upTo(int count)
{
    std::set<int> numbers;
    for (int number = 1; number <= count; ++number)
        numbers.insert(number);
    return numbers;
}

void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TEST(PictureWriterQueueTest, WritesEveryPictureHoldingFewBitmaps)
{
    constexpr int kPictures = 20;
    std::atomic<int> alive{0};
    std::atomic<int> most{0};
    Folder folder;
    {
        kv::PictureWriterQueue queue(2, 1);
        for (int picture = 1; picture <= kPictures; ++picture) {
            auto bitmap = std::make_shared<Bitmap>(alive, most);
            ASSERT_TRUE(queue.submit([picture, bitmap, &folder] {
                pause(picture % 3);
                folder.add(picture);
                return true;
            }));
        }
        EXPECT_TRUE(queue.finish());
        EXPECT_EQ(folder.pictures(), upTo(kPictures));
        EXPECT_EQ(alive.load(), 0) << "a written picture's bitmap is let go";

        // Leaving the queue completes what was handed over.
        for (int picture = kPictures + 1; picture <= kPictures + 4; ++picture)
            queue.submit([picture, &folder] {
                pause(5);
                folder.add(picture);
                return true;
            });
    }
    EXPECT_EQ(folder.pictures(), upTo(kPictures + 4));
    // Two being written, one waiting and the one the caller holds while it
    // waits for room.
    EXPECT_LE(most.load(), 4);
}

TEST(PictureWriterQueueTest, AFailedPictureLeavesExactlyThePicturesBeforeIt)
{
    for (const int writers : {1, 2}) {
        for (const bool throws : {false, true}) {
            Folder folder;
            std::atomic<int> tried{0};
            kv::PictureWriterQueue queue(writers, 2);
            for (int picture = 1; picture <= 12; ++picture)
                queue.submit(
                    [picture, throws, &folder, &tried] {
                        ++tried;
                        if (picture != 3) {
                            folder.add(picture);
                            return true;
                        }
                        pause(30); // the pictures after it are written meanwhile
                        if (throws)
                            throw std::runtime_error("encoder failed");
                        return false;
                    },
                    [picture, &folder] { folder.remove(picture); });
            EXPECT_FALSE(queue.finish()) << writers << " writers, throws " << throws;
            EXPECT_EQ(folder.pictures(), upTo(2)) << writers << " writers, throws " << throws;
            // One writer: the pictures waiting behind the failed one are
            // dropped. Two: the other writer went on meanwhile, and what it
            // wrote after the failed picture is taken away.
            if (writers == 1) {
                EXPECT_EQ(tried.load(), 3);
            }
            EXPECT_FALSE(queue.submit([] { return true; }));
            EXPECT_FALSE(queue.finish());
        }
    }
}

} // namespace
