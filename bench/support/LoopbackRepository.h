// velora-repo-server on a free port of 127.0.0.1, serving one folder while the object lives.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/child_process/ChildProcess.h"

namespace velora::bench {

class LoopbackRepository {
public:
    // `extraArguments` go after "--root ROOT" (an accounts file, for example).
    LoopbackRepository(const std::filesystem::path& server, const std::filesystem::path& root,
                       const std::filesystem::path& output,
                       const std::vector<std::string>& extraArguments = {});
    ~LoopbackRepository();
    LoopbackRepository(const LoopbackRepository&) = delete;
    LoopbackRepository& operator=(const LoopbackRepository&) = delete;

    std::string url(const std::string& path = {}) const;

private:
    tools::ChildProcess process_;
    int port_ = 0;
};

}  // namespace velora::bench
