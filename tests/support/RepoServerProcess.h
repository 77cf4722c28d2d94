#pragma once

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/child_process/ChildProcess.h"

namespace workflow_test {

// velora-repo-server run as a child process for one test: on a free port of 127.0.0.1, its
// request lines collected as they come, stopped with SIGTERM and reaped when the object goes.
// The test target links velora_child_process and depends on velora-repo-server.
class RepoServerProcess {
public:
    RepoServerProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment = {})
        : process_(program, arguments, environment), pid_(process_.pid()) {
        waiter_ = std::thread([this] {
            auto outcome = process_.wait(std::chrono::minutes(5), [this](const std::string& line, auto&) {
                const std::lock_guard lock(mutex_);
                if (port_ == 0 && line.starts_with(kListening))
                    port_ = std::stoi(line.substr(kListening.size()));
                lines_.push_back(line);
                changed_.notify_all();
            });
            const std::lock_guard lock(mutex_);
            transcript_ = outcome.transcript();
            ended_ = true;
            changed_.notify_all();
        });
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(20), [this] { return port_ != 0 || ended_; });
        if (port_ == 0) {
            lock.unlock();
            stop();
            throw std::runtime_error("velora-repo-server did not start:\n" + transcript_);
        }
    }
    ~RepoServerProcess() { stop(); }
    RepoServerProcess(const RepoServerProcess&) = delete;
    RepoServerProcess& operator=(const RepoServerProcess&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path = {}) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }
    // Whether a request line holding `part` is printed within the limit. The server prints a line
    // once its answer is written, so a client may be done before the line arrives.
    bool sawRequest(const std::string& part, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            return std::any_of(lines_.begin() + 1, lines_.end(),
                               [&](const std::string& line) { return line.find(part) != std::string::npos; });
        });
    }

private:
    static constexpr std::string_view kListening = "listening on 127.0.0.1:";

    void stop() {
        // The process id is the one read before the waiting thread began, so this thread never
        // reads what that one writes; the child ends only after this signal.
        if (!waiter_.joinable()) return;
        if (const std::lock_guard lock(mutex_); !ended_) ::kill(pid_, SIGTERM);
        waiter_.join();
    }

    velora::tools::ChildProcess process_;
    const pid_t pid_;
    std::thread waiter_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::string transcript_;
    int port_ = 0;
    bool ended_ = false;
};

}  // namespace workflow_test
