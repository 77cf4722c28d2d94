#include "InstallerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <sstream>
#include <system_error>

extern char** environ;

namespace velora::installer::test {

namespace {

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

std::vector<std::string> InstallerOutcome::outLines() const {
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::string InstallerOutcome::transcript() const {
    return "exit status " + std::to_string(exitStatus) + "\n--- standard output ---\n" + out +
           "--- standard error ---\n" + err;
}

InstallerProcess::InstallerProcess(const std::filesystem::path& program,
                                   const std::vector<std::string>& arguments,
                                   const std::map<std::string, std::string>& environment) {
    int outEnds[2] = {-1, -1};
    int errEnds[2] = {-1, -1};
    if (::pipe2(outEnds, O_CLOEXEC) != 0) throwSystemError("pipe", errno);
    if (::pipe2(errEnds, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(outEnds[0]);
        ::close(outEnds[1]);
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
    ::posix_spawn_file_actions_adddup2(actions.get(), outEnds[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(actions.get(), errEnds[1], STDERR_FILENO);
    const int error = ::posix_spawn(&pid_, program.c_str(), actions.get(), nullptr, argv.data(), envp.data());
    ::close(outEnds[1]);
    ::close(errEnds[1]);
    if (error != 0) {
        pid_ = -1;
        closeQuietly(outPipe_);
        closeQuietly(errPipe_);
        throwSystemError("cannot start " + program.string(), error);
    }
}

InstallerProcess::~InstallerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    closeQuietly(outPipe_);
    closeQuietly(errPipe_);
}

void InstallerProcess::sendSignal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
}

InstallerOutcome InstallerProcess::wait(std::chrono::milliseconds limit, const LineWatcher& watcher) {
    InstallerOutcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string pendingLine;
    bool overran = false;
    char buffer[16384];
    while (outPipe_ >= 0 || errPipe_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            overran = true;
            break;
        }
        pollfd descriptors[2] = {{outPipe_, POLLIN, 0}, {errPipe_, POLLIN, 0}};
        const int ready = ::poll(descriptors, 2, static_cast<int>(left.count()));
        if (ready < 0) {
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
    if (overran) ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    outcome.exitStatus = overran ? -1 : exitStatusOf(status);
    return outcome;
}

}  // namespace velora::installer::test
