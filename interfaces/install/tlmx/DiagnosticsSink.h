#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "foundation/ComponentExport.h"
#include "foundation/json/Value.h"

// Where the diagnostics records go: a file of JSON lines that the host names once at start-up,
// from where the service's uploader picks them up. Safe to use from any thread. Texts that are
// not valid UTF-8 are written with replacement characters rather than dropped.
namespace install::tlmx::sink {

// Creates missing parent folders and appends to an existing file. False when the file cannot be
// opened; records then keep going to the previous file, if any.
bool set_file(const std::filesystem::path& path);
void close_file();

// Writes one record (as one line) to the file and to the active captures. Before a file is set,
// records reach only the captures.
void write(const foundation::json::Value& record);

// Collects every record written while it lives, in order.
class COMPONENT_API ScopedCapture {
public:
    ScopedCapture();
    ~ScopedCapture();
    ScopedCapture(const ScopedCapture&) = delete;
    ScopedCapture& operator=(const ScopedCapture&) = delete;

    std::vector<foundation::json::Value> records() const;
    void clear();

    struct Buffer;

private:
    std::shared_ptr<Buffer> buffer_;
};

}  // namespace install::tlmx::sink
