#pragma once

namespace velora::installer {

// The installer's exit statuses, as --help and the README list them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDestinationHeld = 3;
inline constexpr int kExitInterrupted = 130;
inline constexpr int kExitTerminated = 143;

}  // namespace velora::installer
