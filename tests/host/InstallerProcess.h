#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velora::installer::test {

// What a finished installer run left behind.
struct InstallerOutcome {
    // The exit status, or 128 plus the signal number when a signal ended the process, as a shell
    // reports it; -1 when the run had to be killed for overrunning its time limit.
    int exitStatus = -1;
    std::string out;
    std::string err;

    std::vector<std::string> outLines() const;
    // Both streams, for failure messages.
    std::string transcript() const;
};

// One run of the installer binary as a child process, its standard output and error captured
// through pipes, its standard input empty. The child gets the test's environment with the
// variables given here replaced, so that nothing it writes lands in the real home folder.
class InstallerProcess {
public:
    using LineWatcher = std::function<void(const std::string& line, InstallerProcess& process)>;

    InstallerProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment);
    ~InstallerProcess();
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;

    // Collects the output until the child ends, handing every complete line of standard output
    // to `watcher` as soon as it arrives. A child still running after `limit` is killed.
    InstallerOutcome wait(std::chrono::milliseconds limit, const LineWatcher& watcher = {});

    void sendSignal(int signal) const;

private:
    pid_t pid_ = -1;
    int outPipe_ = -1;
    int errPipe_ = -1;
};

}  // namespace velora::installer::test
