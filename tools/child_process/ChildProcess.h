#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velora::tools {

// What a finished child process left behind.
struct ChildOutcome {
    // The exit status, or 128 plus the signal number when a signal ended the process, as a shell
    // reports it; -1 when the run had to be killed for overrunning its time limit.
    int exitStatus = -1;
    // Standard output and error, unless they went to a file.
    std::string out;
    std::string err;
    // From the start of the process to its end, and its user plus system time: what it cost,
    // whatever else the machine was doing.
    std::chrono::duration<double> wallTime{};
    std::chrono::duration<double> cpuTime{};

    std::vector<std::string> outLines() const;
    // Both streams, for failure messages.
    std::string transcript() const;
};

// One run of a program as a child process, its standard input empty. Its standard output and
// error are captured through pipes, or, when an output file is given, both appended to that file.
// The child gets this process's environment with the variables given here replaced.
class ChildProcess {
public:
    using LineWatcher = std::function<void(const std::string& line, ChildProcess& process)>;
    static constexpr std::chrono::milliseconds kNoLimit = std::chrono::milliseconds::max();

    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment = {},
                 const std::filesystem::path& outputFile = {});
    // A child still running is killed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Collects the output until the child ends, handing every complete line of standard output
    // to `watcher` as soon as it arrives. A child still running after `limit` is killed.
    ChildOutcome wait(std::chrono::milliseconds limit = kNoLimit, const LineWatcher& watcher = {});

    void sendSignal(int signal) const;
    pid_t pid() const { return pid_; }

private:
    bool readOutput(std::chrono::steady_clock::time_point deadline, const LineWatcher& watcher,
                    ChildOutcome& outcome);
    bool reap(std::chrono::steady_clock::time_point deadline, ChildOutcome& outcome);

    pid_t pid_ = -1;
    int outPipe_ = -1;
    int errPipe_ = -1;
    std::chrono::steady_clock::time_point started_;
};

// The full path of a program found through PATH, or empty.
std::filesystem::path findOnPath(const std::string& program);

}  // namespace velora::tools
