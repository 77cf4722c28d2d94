#include "RecordSink.h"

#include <algorithm>
#include <system_error>

namespace install::tlmx::sink {

RecordSink& RecordSink::instance() {
    static RecordSink* const sink = new RecordSink();
    return *sink;
}

bool RecordSink::setFile(const std::filesystem::path& path) {
    std::error_code ignored;
    if (!path.parent_path().empty()) std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream next(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!next.is_open()) return false;
    std::lock_guard lock(mutex_);
    stream_ = std::move(next);
    return true;
}

void RecordSink::closeFile() {
    std::lock_guard lock(mutex_);
    stream_.close();
}

void RecordSink::write(const foundation::json::Value& record) {
    // The replacing error handler keeps a record with a stray byte instead of throwing it away.
    const auto line = record.dump(-1, ' ', false, foundation::json::Value::error_handler_t::replace);
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) stream_ << line << '\n' << std::flush;
    for (const auto& capture : captures_) {
        std::lock_guard captureLock(capture->mutex);
        capture->records.push_back(foundation::json::Value::parse(line));
    }
}

void RecordSink::addCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer) {
    std::lock_guard lock(mutex_);
    captures_.push_back(buffer);
}

void RecordSink::removeCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer) {
    std::lock_guard lock(mutex_);
    captures_.erase(std::remove(captures_.begin(), captures_.end(), buffer), captures_.end());
}

}  // namespace install::tlmx::sink
