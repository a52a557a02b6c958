#pragma once
// kv::PictureWriterQueue: writes the pictures of a conversion on a thread of
// its own while the layout window draws the next page.
//
// Pictures are written one at a time, in the order they were handed over.
// At most `waiting` of them wait beside the one being written (submit()
// blocks while the queue is full), so a conversion holds a few page bitmaps
// whatever its length. Once a picture fails, the ones handed over after it
// are dropped unwritten: the files of a failed conversion end before the
// failed page, as when every page was written in line.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kv {

class PictureWriterQueue {
public:
    // Writes one picture; false (or an exception) when it failed.
    using Write = std::function<bool()>;

    explicit PictureWriterQueue(std::size_t waiting = 1);
    // Writes what was handed over (finish()) before the thread ends.
    ~PictureWriterQueue();

    PictureWriterQueue(const PictureWriterQueue &) = delete;
    PictureWriterQueue &operator=(const PictureWriterQueue &) = delete;

    // Hands a picture over, waiting while the queue is full. False, and the
    // picture dropped, once one handed over before it has failed.
    bool submit(Write write);
    // Waits until every picture handed over is written or dropped; true when
    // none failed.
    bool finish();

private:
    void run();

    const std::size_t m_limit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Write> m_waiting;
    bool m_writing = false;
    bool m_failed = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace kv
