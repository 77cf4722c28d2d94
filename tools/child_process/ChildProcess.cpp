// ChildProcess: started with posix_spawn, its pipes read with poll, its end and its times
// collected with wait4.
#include "tools/child_process/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <system_error>
#include <thread>

extern char** environ;

namespace velora::tools {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void throwSystemError(const std::string& what, int error) {
    throw std::system_error(error, std::generic_category(), what);
}

void closeQuietly(int& descriptor) {
    if (descriptor >= 0) ::close(descriptor);
    descriptor = -1;
}

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& overrides) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : overrides) variables[name] = value;
    std::vector<std::string> result;
    for (const auto& [name, value] : variables) result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

int exitStatusOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

double seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

// Spawn file actions that are destroyed however the spawning ends.
class FileActions {
public:
    FileActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
};

}  // namespace

std::vector<std::string> ChildOutcome::outLines() const {
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::string ChildOutcome::transcript() const {
    return "exit status " + std::to_string(exitStatus) + "\n--- standard output ---\n" + out +
           "--- standard error ---\n" + err;
}

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment,
                           const std::filesystem::path& outputFile) {
    const bool capture = outputFile.empty();
    int outEnds[2] = {-1, -1};
    int errEnds[2] = {-1, -1};
    if (capture && ::pipe2(outEnds, O_CLOEXEC) != 0) throwSystemError("pipe", errno);
    if (capture && ::pipe2(errEnds, O_CLOEXEC) != 0) {
        const int error = errno;
        closeQuietly(outEnds[0]);
        closeQuietly(outEnds[1]);
        throwSystemError("pipe", error);
    }
    outPipe_ = outEnds[0];
    errPipe_ = errEnds[0];

    std::vector<std::string> argumentTexts{program.string()};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts = mergedEnvironment(environment);
    auto argv = pointers(argumentTexts);
    auto envp = pointers(environmentTexts);

    FileActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (capture) {
        ::posix_spawn_file_actions_adddup2(actions.get(), outEnds[1], STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(actions.get(), errEnds[1], STDERR_FILENO);
    } else {
        ::posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, outputFile.c_str(),
                                           O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::posix_spawn_file_actions_adddup2(actions.get(), STDOUT_FILENO, STDERR_FILENO);
    }
    started_ = Clock::now();
    const int error = ::posix_spawn(&pid_, program.c_str(), actions.get(), nullptr, argv.data(), envp.data());
    closeQuietly(outEnds[1]);
    closeQuietly(errEnds[1]);
    if (error != 0) {
        pid_ = -1;
        closeQuietly(outPipe_);
        closeQuietly(errPipe_);
        throwSystemError("cannot start " + program.string(), error);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    closeQuietly(outPipe_);
    closeQuietly(errPipe_);
}

void ChildProcess::sendSignal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
}

ChildOutcome ChildProcess::wait(std::chrono::milliseconds limit, const LineWatcher& watcher) {
    ChildOutcome outcome;
    const auto deadline = limit == kNoLimit ? Clock::time_point::max() : Clock::now() + limit;
    if (!readOutput(deadline, watcher, outcome) || !reap(deadline, outcome)) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        outcome.exitStatus = -1;
    }
    return outcome;
}

bool ChildProcess::readOutput(Clock::time_point deadline, const LineWatcher& watcher, ChildOutcome& outcome) {
    std::string pendingLine;
    char buffer[16384];
    while (outPipe_ >= 0 || errPipe_ >= 0) {
        int timeout = -1;
        if (deadline != Clock::time_point::max()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            timeout = static_cast<int>(left.count());
        }
        pollfd descriptors[2] = {{outPipe_, POLLIN, 0}, {errPipe_, POLLIN, 0}};
        if (::poll(descriptors, 2, timeout) < 0) {
            if (errno == EINTR) continue;
            throwSystemError("poll", errno);
        }
        for (int index = 0; index < 2; ++index) {
            if (descriptors[index].fd < 0 || descriptors[index].revents == 0) continue;
            const ssize_t count = ::read(descriptors[index].fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) {
                closeQuietly(index == 0 ? outPipe_ : errPipe_);
                continue;
            }
            if (index == 1) {
                outcome.err.append(buffer, static_cast<std::size_t>(count));
                continue;
            }
            outcome.out.append(buffer, static_cast<std::size_t>(count));
            pendingLine.append(buffer, static_cast<std::size_t>(count));
            for (auto end = pendingLine.find('\n'); end != std::string::npos; end = pendingLine.find('\n')) {
                const std::string line = pendingLine.substr(0, end);
                pendingLine.erase(0, end + 1);
                if (watcher) watcher(line, *this);
            }
        }
    }
    return true;
}

bool ChildProcess::reap(Clock::time_point deadline, ChildOutcome& outcome) {
    // Without a limit the wait blocks, so the wall time is not stretched by polling.
    const int flags = deadline == Clock::time_point::max() ? 0 : WNOHANG;
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t ended = ::wait4(pid_, &status, flags, &usage);
        if (ended == pid_) break;
        if (ended < 0 && errno != EINTR) throwSystemError("wait4", errno);
        if (ended == 0) {
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    outcome.wallTime = Clock::now() - started_;
    outcome.cpuTime = std::chrono::duration<double>(seconds(usage.ru_utime) + seconds(usage.ru_stime));
    outcome.exitStatus = exitStatusOf(status);
    pid_ = -1;
    return true;
}

std::filesystem::path findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

}  // namespace velora::tools
