#pragma once

#include <memory>
#include <vector>

namespace tq::zero::detail {

class ModelState;

// The models in which the calling thread has begun transactions. When the thread ends, the
// transactions it left open in them are rolled back, so none of its frames stays behind for a
// later thread that is given the same id, and no property stays locked for a thread that is gone.
// The only per-thread state of the framework: a thread's end can be observed from nowhere else.
class ThreadEndRollback {
public:
    // Remembers `model` for the calling thread, once.
    static void watch(const std::shared_ptr<ModelState>& model);

    ThreadEndRollback() = default;
    ThreadEndRollback(const ThreadEndRollback&) = delete;
    ThreadEndRollback& operator=(const ThreadEndRollback&) = delete;
    ~ThreadEndRollback();

private:
    std::vector<std::weak_ptr<ModelState>> models_;
};

}  // namespace tq::zero::detail
