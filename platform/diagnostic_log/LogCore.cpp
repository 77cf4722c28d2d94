#include "LogCore.h"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <chrono>
#include <fstream>

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/utility/formatting_ostream.hpp>
#include <boost/make_shared.hpp>

namespace foundation::log {
namespace {

const char* severityName(severity level) {
    switch (level) {
        case severity::trace:
            return "trace";
        case severity::debug:
            return "debug";
        case severity::info:
            return "info";
        case severity::warning:
            return "warning";
        case severity::error:
            return "error";
    }
    return "unknown";
}

std::string utcNow() {
    const auto now = std::chrono::system_clock::now();
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return fmt::format("{:%F %T}.{:03}", fmt::gmtime(std::chrono::system_clock::to_time_t(now)),
                       milliseconds);
}

}  // namespace

LogCore& LogCore::instance() {
    static LogCore* const core = new LogCore();
    return *core;
}

std::string LogCore::describe(const boost::log::record_view& record) {
    const auto level = boost::log::extract<severity>("Severity", record);
    const auto channel = boost::log::extract<std::string>("Channel", record);
    const auto message = boost::log::extract<std::string>("Message", record);
    return std::string("[") + (level ? severityName(*level) : "unknown") + "] " + (channel ? *channel : "") +
           ": " + (message ? *message : "");
}

bool LogCore::setFile(const std::filesystem::path& path) {
    std::error_code ignored;
    if (!path.parent_path().empty()) std::filesystem::create_directories(path.parent_path(), ignored);
    auto stream = boost::make_shared<std::ofstream>(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!stream->is_open()) return false;

    auto backend = boost::make_shared<boost::log::sinks::text_ostream_backend>();
    backend->add_stream(stream);
    // Flushed record by record: the file is read exactly when the installer has crashed.
    backend->auto_flush(true);
    auto sink = boost::make_shared<FileSink>(backend);
    sink->set_formatter([](const boost::log::record_view& record, boost::log::formatting_ostream& out) {
        out << utcNow() << ' ' << describe(record);
    });

    std::lock_guard lock(mutex_);
    if (file_) removeSink(file_);
    file_ = sink;
    addSink(file_);
    return true;
}

void LogCore::closeFile() {
    std::lock_guard lock(mutex_);
    if (!file_) return;
    removeSink(file_);
    file_->flush();
    file_.reset();
}

void LogCore::addSink(const boost::shared_ptr<boost::log::sinks::sink>& sink) {
    boost::log::core::get()->add_sink(sink);
    ++sinks_;
}

void LogCore::removeSink(const boost::shared_ptr<boost::log::sinks::sink>& sink) {
    boost::log::core::get()->remove_sink(sink);
    --sinks_;
}

}  // namespace foundation::log
