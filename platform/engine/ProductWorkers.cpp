#include "ProductWorkers.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace install::engine {

ProductWorkers::ProductWorkers(std::size_t count, std::size_t threads)
    : count_(count), threads_(std::max<std::size_t>(1, std::min(threads, count))) {}

void ProductWorkers::run(const std::function<void(std::size_t)>& task) {
    std::mutex mutex;
    std::size_t failedIndex = count_;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t index = next_++; index < count_ && !stopping(); index = next_++) {
            try {
                task(index);
            } catch (const ProductAbandoned&) {
            } catch (...) {
                const std::lock_guard lock(mutex);
                stopping_ = true;
                if (index < failedIndex) {
                    failedIndex = index;
                    failure = std::current_exception();
                }
            }
        }
    };
    // The calling thread is one of the workers.
    std::vector<std::thread> others;
    try {
        for (std::size_t extra = 1; extra < threads_; ++extra) others.emplace_back(work);
    } catch (const std::system_error&) {
        // No thread to spare: the products are staged by fewer threads.
    }
    work();
    for (std::thread& other : others) other.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace install::engine
