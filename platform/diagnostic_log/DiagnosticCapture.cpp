#include <mutex>

#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/make_shared.hpp>

#include "LogCore.h"
#include "foundation/log/DiagnosticLogger.h"

namespace foundation::log {
namespace {

class CaptureBackend : public boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
public:
    void consume(const boost::log::record_view& record) {
        std::lock_guard lock(mutex_);
        lines_.push_back(LogCore::describe(record));
    }

    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace

struct ScopedDiagnosticCapture::Sink {
    boost::shared_ptr<CaptureBackend> backend = boost::make_shared<CaptureBackend>();
    boost::shared_ptr<boost::log::sinks::synchronous_sink<CaptureBackend>> frontend =
        boost::make_shared<boost::log::sinks::synchronous_sink<CaptureBackend>>(backend);
};

ScopedDiagnosticCapture::ScopedDiagnosticCapture() : sink_(std::make_unique<Sink>()) {
    LogCore::instance().addSink(sink_->frontend);
}

ScopedDiagnosticCapture::~ScopedDiagnosticCapture() { LogCore::instance().removeSink(sink_->frontend); }

std::vector<std::string> ScopedDiagnosticCapture::lines() const { return sink_->backend->lines(); }

}  // namespace foundation::log
