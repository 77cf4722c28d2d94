#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace install::engine {

// Thrown by a task that gave up because another one failed: it is not the run's failure.
struct ProductAbandoned {};

// Stages products on more than one core: task(index) runs for every index below `count`, on up
// to `threads` threads at once, each thread taking the next index in order. Once a task throws,
// no further index starts and the running ones are asked to stop (stopping()); when all have
// ended, the exception of the lowest index that failed is rethrown, so a run reports the first
// product in order that went wrong, as one product at a time would have.
class ProductWorkers {
public:
    ProductWorkers(std::size_t count, std::size_t threads);

    void run(const std::function<void(std::size_t)>& task);
    bool stopping() const { return stopping_.load(std::memory_order_relaxed); }

private:
    std::size_t count_;
    std::size_t threads_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stopping_{false};
};

}  // namespace install::engine
