#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace install::engine {

class StagingArea;

// Writes what is staged so far to disk on a thread of its own each time a product has been
// staged, while later products are still unpacking, so that the flush before the products move
// into place finds little left to write. Starting the writing file by file instead slows the
// unpacking down more than it saves.
class BackgroundFlush {
public:
    explicit BackgroundFlush(const StagingArea& staging);
    // Waits for a flush under way.
    ~BackgroundFlush();
    BackgroundFlush(const BackgroundFlush&) = delete;
    BackgroundFlush& operator=(const BackgroundFlush&) = delete;

    void productStaged();
    // Waits for a flush under way; throws std::system_error when one failed (a later flush of
    // the same file system might no longer report it).
    void finish();

private:
    void work();
    void stop();

    const StagingArea& staging_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t staged_ = 0;
    std::size_t flushed_ = 0;
    bool ending_ = false;
    int failure_ = 0;
    std::thread thread_;
};

}  // namespace install::engine
