#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FileDescriptor.h"

namespace install::enczip {

// SHA-256 of files an extraction has finished writing, computed on a second thread while the
// extraction goes on with the next entries. Each file is read back through its own descriptor
// (from the page cache, whatever name it has by then).
class FileDigests {
public:
    FileDigests();
    ~FileDigests();
    FileDigests(const FileDigests&) = delete;
    FileDigests& operator=(const FileDigests&) = delete;

    // Takes the descriptor that wrote a complete file, and closes it; `key` says whose digest it is. Waits
    // while many files are already waiting, so open descriptors stay few.
    void add(FileDescriptor file, std::size_t key, std::filesystem::path shownPath);
    // Every digest, in the order the files were added (a key added twice appears twice).
    // Throws std::filesystem::filesystem_error when a file could not be read back or written.
    std::vector<std::pair<std::size_t, std::string>> finish();

private:
    struct Pending {
        FileDescriptor file;
        std::size_t key;
        std::filesystem::path shownPath;
    };

    void work();
    static std::string digestOf(const Pending& pending, char* buffer);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;
    std::vector<std::pair<std::size_t, std::string>> digests_;
    bool busy_ = false;  // the thread holds a file taken from the queue
    bool failed_ = false;
    std::string failure_;
    std::filesystem::path failedPath_;
    int failedErrno_ = 0;
    const char* failedWhat_ = "";
    bool closing_ = false;
    bool workerSleeping_ = false;
    bool producerWaiting_ = false;
    std::thread thread_;
};

}  // namespace install::enczip
