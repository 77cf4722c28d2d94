#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>

#include <boost/log/attributes/attribute_value_set.hpp>
#include <boost/log/core.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/log/sinks/text_ostream_backend.hpp>

#include "foundation/log/DiagnosticLogger.h"

namespace foundation::log {

// The process's diagnostic sinks on the Boost.Log core. Boost.Log prints to the console when no
// sink is registered, so records are only made while one of ours is.
class LogCore {
public:
    // Never destroyed, so that a line logged during shutdown still finds it.
    static LogCore& instance();

    bool setFile(const std::filesystem::path& path);
    void closeFile();

    void addSink(const boost::shared_ptr<boost::log::sinks::sink>& sink);
    void removeSink(const boost::shared_ptr<boost::log::sinks::sink>& sink);
    bool hasSinks() const { return sinks_.load() > 0; }

    // "[severity] name: message" of a record made by a diagnostic logger.
    static std::string describe(const boost::log::record_view& record);

private:
    LogCore() = default;

    using FileSink = boost::log::sinks::synchronous_sink<boost::log::sinks::text_ostream_backend>;

    std::mutex mutex_;
    boost::shared_ptr<FileSink> file_;
    std::atomic<int> sinks_{0};
};

}  // namespace foundation::log
