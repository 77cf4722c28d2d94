#include "install/cpputil/Logger.h"

#include "InstallerLog.h"

namespace install::cpputil::logger {

void append_message(const std::u16string& message) { InstallerLog::instance().append(message); }

bool set_log_file(const std::filesystem::path& path) { return InstallerLog::instance().setFile(path); }

void close_log_file() { InstallerLog::instance().closeFile(); }

std::filesystem::path log_file() { return InstallerLog::instance().file(); }

ScopedCapture::ScopedCapture() : buffer_(std::make_shared<Buffer>()) {
    InstallerLog::instance().addCapture(buffer_);
}

ScopedCapture::~ScopedCapture() { InstallerLog::instance().removeCapture(buffer_); }

std::vector<std::u16string> ScopedCapture::lines() const {
    std::lock_guard lock(buffer_->mutex);
    return buffer_->lines;
}

void ScopedCapture::clear() {
    std::lock_guard lock(buffer_->mutex);
    buffer_->lines.clear();
}

}  // namespace install::cpputil::logger
