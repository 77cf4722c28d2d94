#include "InstallerLog.h"

#include <algorithm>
#include <system_error>

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/LogMessages.h"

namespace install::cpputil::logger {
namespace {

std::u16string withPath(std::u16string_view text, const std::filesystem::path& path) {
    return std::u16string(text) + fl::i18n::to_u16string(path.string());
}

}  // namespace

InstallerLog& InstallerLog::instance() {
    static InstallerLog* const log = new InstallerLog();
    return *log;
}

void InstallerLog::append(std::u16string_view message) {
    std::lock_guard lock(mutex_);
    appendLocked(message);
}

void InstallerLog::appendLocked(std::u16string_view message) {
    if (stream_.is_open()) {
        // Flushed line by line: the log is read exactly when the installer has crashed.
        stream_ << fl::i18n::to_string(message) << '\n' << std::flush;
    }
    for (const auto& capture : captures_) {
        std::lock_guard captureLock(capture->mutex);
        capture->lines.emplace_back(message);
    }
}

bool InstallerLog::setFile(const std::filesystem::path& path) {
    std::lock_guard lock(mutex_);
    std::error_code error;
    const auto folder = path.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error || !std::filesystem::is_directory(folder, error)) {
            appendLocked(withPath(kUnableToCreateLogFolder, path));
            return false;
        }
    }
    std::ofstream next(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!next.is_open()) {
        appendLocked(withPath(kUnableToCreateLogFile, path));
        return false;
    }
    if (stream_.is_open()) {
        appendLocked(withPath(kResetDestinationFileLog, path));
        stream_.close();
    }
    stream_ = std::move(next);
    path_ = path;
    return true;
}

void InstallerLog::closeFile() {
    std::lock_guard lock(mutex_);
    stream_.close();
    path_.clear();
}

std::filesystem::path InstallerLog::file() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void InstallerLog::addCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer) {
    std::lock_guard lock(mutex_);
    captures_.push_back(buffer);
}

void InstallerLog::removeCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer) {
    std::lock_guard lock(mutex_);
    captures_.erase(std::remove(captures_.begin(), captures_.end(), buffer), captures_.end());
}

}  // namespace install::cpputil::logger
