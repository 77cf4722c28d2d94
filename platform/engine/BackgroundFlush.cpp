#include "BackgroundFlush.h"

#include <system_error>

#include "StagingArea.h"

namespace install::engine {

BackgroundFlush::BackgroundFlush(const StagingArea& staging)
    : staging_(staging), thread_([this] { work(); }) {}

BackgroundFlush::~BackgroundFlush() { stop(); }

void BackgroundFlush::productStaged() {
    {
        const std::lock_guard lock(mutex_);
        ++staged_;
    }
    changed_.notify_all();
}

void BackgroundFlush::finish() {
    stop();
    if (failure_ != 0) throw std::system_error(failure_, std::generic_category(), "cannot write to disk");
}

void BackgroundFlush::stop() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void BackgroundFlush::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || staged_ > flushed_; });
        if (ending_) return;
        flushed_ = staged_;
        lock.unlock();
        int failure = 0;
        try {
            staging_.flush();
        } catch (const std::system_error& error) {
            failure = error.code().value();
        }
        lock.lock();
        if (failure != 0) failure_ = failure;
    }
}

}  // namespace install::engine
