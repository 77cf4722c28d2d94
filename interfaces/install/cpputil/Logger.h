#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ComponentExport.h"

// The installer log: the one text file a user or support engineer reads after a run. Every gate
// line goes through append_message; the host decides where the file lives. All operations are
// safe to call from any thread.
namespace install::cpputil::logger {

// Appends one line (the text followed by a line feed, stored as UTF-8). Before a log file has
// been set, the line reaches only the active captures.
void append_message(const std::u16string& message);

// Directs the following lines to a file, creating missing parent folders and appending to an
// existing file. When a file was already in use, it receives "Reset destination file log "
// followed by the new path before it is closed. When the folder or the file cannot be created,
// the reason ("Unable to create specified folder for installation log " or "Unable to create
// specified file for installation log " followed by the path) goes to the previous file and
// the captures, the previous file stays in use, and the answer is false.
bool set_log_file(const std::filesystem::path& path);

// Closes the log file; later lines reach only the captures.
void close_log_file();

// The file in use, empty when none.
std::filesystem::path log_file();

// Collects every line appended while it lives, in order, in addition to the file. Captures may
// nest or overlap; each sees the lines appended during its own lifetime.
class COMPONENT_API ScopedCapture {
public:
    ScopedCapture();
    ~ScopedCapture();
    ScopedCapture(const ScopedCapture&) = delete;
    ScopedCapture& operator=(const ScopedCapture&) = delete;

    std::vector<std::u16string> lines() const;
    void clear();

    struct Buffer;

private:
    std::shared_ptr<Buffer> buffer_;
};

}  // namespace install::cpputil::logger
