#include "install/cpputil/Interrupt.h"

#include <atomic>

namespace install::cpputil::interrupt {
namespace {

// A plain namespace-scope atomic rather than a function-local static: a signal handler must not
// run a guarded initialisation.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set() must stay async-signal-safe");

}  // namespace

void set() noexcept { requested.store(true, std::memory_order_release); }

bool is_set() noexcept { return requested.load(std::memory_order_acquire); }

void reset() noexcept { requested.store(false, std::memory_order_release); }

}  // namespace install::cpputil::interrupt
