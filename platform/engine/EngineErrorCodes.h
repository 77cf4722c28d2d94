#pragma once

// The engine's error codes and the location its installation runs report, as diagnostics
// receive them.
namespace install::engine {

inline constexpr const char* kStartLocation = "Engine::start";

inline constexpr const char* kUnknownProductCode = "2130";
inline constexpr const char* kMissingArchiveCode = "2140";
inline constexpr const char* kInvalidSignatureCode = "2150";
inline constexpr const char* kExtractCode = "2160";
inline constexpr const char* kRecordCode = "2170";
inline constexpr const char* kInterruptedCode = "2180";
inline constexpr const char* kFetchCode = "2185";
inline constexpr const char* kRemoveCode = "2195";

}  // namespace install::engine
