#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "install/tlmx/DiagnosticsSink.h"

namespace install::tlmx::sink {

struct ScopedCapture::Buffer {
    mutable std::mutex mutex;
    std::vector<foundation::json::Value> records;
};

// The process's one diagnostics sink behind the free functions of DiagnosticsSink.h.
class RecordSink {
public:
    // Never destroyed, so that records written during shutdown still find it.
    static RecordSink& instance();

    bool setFile(const std::filesystem::path& path);
    void closeFile();
    void write(const foundation::json::Value& record);

    void addCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer);
    void removeCapture(const std::shared_ptr<ScopedCapture::Buffer>& buffer);

private:
    RecordSink() = default;

    std::mutex mutex_;
    std::ofstream stream_;
    std::vector<std::shared_ptr<ScopedCapture::Buffer>> captures_;
};

}  // namespace install::tlmx::sink
