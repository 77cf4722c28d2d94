#pragma once

// The process-wide flag of a user's cancel request. The engine and the downloaders poll it; a
// signal handler may raise it, since set() is async-signal-safe (a lock-free atomic store).
namespace install::cpputil::interrupt {

void set() noexcept;
bool is_set() noexcept;
void reset() noexcept;

}  // namespace install::cpputil::interrupt
