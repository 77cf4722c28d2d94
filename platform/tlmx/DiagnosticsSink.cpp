#include "install/tlmx/DiagnosticsSink.h"

#include "RecordSink.h"

namespace install::tlmx::sink {

bool set_file(const std::filesystem::path& path) { return RecordSink::instance().setFile(path); }

void close_file() { RecordSink::instance().closeFile(); }

void write(const foundation::json::Value& record) { RecordSink::instance().write(record); }

ScopedCapture::ScopedCapture() : buffer_(std::make_shared<Buffer>()) {
    RecordSink::instance().addCapture(buffer_);
}

ScopedCapture::~ScopedCapture() { RecordSink::instance().removeCapture(buffer_); }

std::vector<foundation::json::Value> ScopedCapture::records() const {
    std::lock_guard lock(buffer_->mutex);
    return buffer_->records;
}

void ScopedCapture::clear() {
    std::lock_guard lock(buffer_->mutex);
    buffer_->records.clear();
}

}  // namespace install::tlmx::sink
