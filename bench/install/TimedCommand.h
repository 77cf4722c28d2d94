#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace velora::bench {

struct CommandResult {
    int exitStatus = -1;  // 128 + signal when a signal ended it
    std::chrono::duration<double> wallTime{};
    // User plus system time of the process: what it cost, whatever else the machine was doing.
    std::chrono::duration<double> cpuTime{};
};

// Runs a program to its end with the output going to `outputFile` (both streams) and measures
// the wall time from the start of the process to its end, and its processor time.
CommandResult runTimed(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::filesystem::path& outputFile);

// The full path of a program found through PATH, or empty.
std::filesystem::path findOnPath(const std::string& program);

}  // namespace velora::bench
