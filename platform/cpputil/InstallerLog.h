#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "install/cpputil/Logger.h"

namespace install::cpputil::logger {

struct ScopedCapture::Buffer {
    mutable std::mutex mutex;
    std::vector<std::u16string> lines;
};

// The process's one installer log behind the free functions of Logger.h.
class InstallerLog {
public:
    // Never destroyed, so that lines logged while the process shuts down still find it.
    static InstallerLog& instance();

    void append(std::u16string_view message);
    bool setFile(const std::filesystem::path& path);
    void closeFile();
    std::filesystem::path file() const;

    void addCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer);
    void removeCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer);

private:
    InstallerLog() = default;

    void appendLocked(std::u16string_view message);

    mutable std::mutex mutex_;
    std::ofstream stream_;
    std::filesystem::path path_;
    std::vector<std::shared_ptr<ScopedCapture::Buffer>> captures_;
};

}  // namespace install::cpputil::logger
