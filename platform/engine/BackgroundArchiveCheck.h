#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace install::engine {

// Compares an archive with the checksum the product catalogue gives for it, on a thread of its
// own while the archive is being unpacked: the unpacking thread pays nothing for the check, and
// the second read of the archive comes from the page cache. Hashing runs far ahead of
// unpacking, so a mismatch is usually known before much has been written.
class BackgroundArchiveCheck {
public:
    enum class Outcome { Pending, Matches, Differs, Unreadable };

    BackgroundArchiveCheck(std::filesystem::path archive, std::string expectedSha256);
    // Stops a check still running and waits for its thread.
    ~BackgroundArchiveCheck();
    BackgroundArchiveCheck(const BackgroundArchiveCheck&) = delete;
    BackgroundArchiveCheck& operator=(const BackgroundArchiveCheck&) = delete;

    // What is known at this moment; never waits.
    Outcome current() const;
    // Waits for the check to end.
    Outcome wait();
    // Why the archive could not be read (after wait() answered Unreadable).
    const std::string& readFailure() const;

private:
    void run();

    std::filesystem::path archive_;
    std::string expected_;
    std::string readFailure_;
    std::atomic<Outcome> outcome_{Outcome::Pending};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace install::engine
