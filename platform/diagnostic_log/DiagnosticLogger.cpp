#include "foundation/log/DiagnosticLogger.h"

#include <boost/log/sources/record_ostream.hpp>
#include <boost/log/sources/severity_channel_logger.hpp>

#include "LogCore.h"

namespace foundation::log {

template <class CharT>
struct basic_diagnostic_logger<CharT>::Source {
    explicit Source(const std::string& channel) : logger(boost::log::keywords::channel = channel) {}
    mutable boost::log::sources::severity_channel_logger_mt<severity, std::string> logger;
};

template <class CharT>
basic_diagnostic_logger<CharT>::basic_diagnostic_logger(string_type name)
    : name_(std::move(name)), source_(std::make_shared<Source>(name_)) {}

template <class CharT>
basic_diagnostic_logger<CharT>::~basic_diagnostic_logger() = default;

template <class CharT>
basic_diagnostic_logger<CharT>::basic_diagnostic_logger(const basic_diagnostic_logger&) = default;

template <class CharT>
basic_diagnostic_logger<CharT>& basic_diagnostic_logger<CharT>::operator=(const basic_diagnostic_logger&) =
    default;

template <class CharT>
const typename basic_diagnostic_logger<CharT>::string_type& basic_diagnostic_logger<CharT>::name() const {
    return name_;
}

template <class CharT>
void basic_diagnostic_logger<CharT>::log(severity level, const string_type& message) const {
    if (!LogCore::instance().hasSinks()) return;
    BOOST_LOG_SEV(source_->logger, level) << message;
}

template class basic_diagnostic_logger<char>;

bool set_diagnostic_log_file(const std::filesystem::path& path) { return LogCore::instance().setFile(path); }

void close_diagnostic_log_file() { LogCore::instance().closeFile(); }

}  // namespace foundation::log
