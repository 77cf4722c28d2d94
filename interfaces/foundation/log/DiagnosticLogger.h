#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"

// Detailed traces for support engineers, apart from the installer log that users read: each
// logger is named by the fully qualified name of the class that writes, and its lines go to the
// diagnostic log file the host names. Without a file (and without a capture) lines are dropped.
// Safe to use from any thread.
namespace foundation::log {

enum class severity { trace, debug, info, warning, error };

template <class CharT>
class COMPONENT_API basic_diagnostic_logger {
public:
    using string_type = std::basic_string<CharT>;

    // name: for example "install::product_installer::workflow_utils::ProductSelectionGate".
    explicit basic_diagnostic_logger(string_type name);
    ~basic_diagnostic_logger();
    basic_diagnostic_logger(const basic_diagnostic_logger&);
    basic_diagnostic_logger& operator=(const basic_diagnostic_logger&);

    const string_type& name() const;

    void log(severity level, const string_type& message) const;
    void trace(const string_type& message) const { log(severity::trace, message); }
    void debug(const string_type& message) const { log(severity::debug, message); }
    void info(const string_type& message) const { log(severity::info, message); }
    void warning(const string_type& message) const { log(severity::warning, message); }
    void error(const string_type& message) const { log(severity::error, message); }

    struct Source;

private:
    string_type name_;
    std::shared_ptr<Source> source_;
};

extern template class basic_diagnostic_logger<char>;
using diagnostic_logger = basic_diagnostic_logger<char>;

// Lines in the file read "<UTC time> [<severity>] <logger name>: <message>". Creates missing
// parent folders and appends; false when the file cannot be opened (the previous file stays).
bool set_diagnostic_log_file(const std::filesystem::path& path);
void close_diagnostic_log_file();

// Collects the lines logged while it lives, as "[<severity>] <logger name>: <message>".
class COMPONENT_API ScopedDiagnosticCapture {
public:
    ScopedDiagnosticCapture();
    ~ScopedDiagnosticCapture();
    ScopedDiagnosticCapture(const ScopedDiagnosticCapture&) = delete;
    ScopedDiagnosticCapture& operator=(const ScopedDiagnosticCapture&) = delete;

    std::vector<std::string> lines() const;

    struct Sink;

private:
    std::unique_ptr<Sink> sink_;
};

}  // namespace foundation::log
