#include "BackgroundArchiveCheck.h"

#include <exception>
#include <memory>
#include <utility>

#include "SequentialFile.h"
#include "Sha256.h"

namespace install::engine {

using enczip::Sha256;

BackgroundArchiveCheck::BackgroundArchiveCheck(std::filesystem::path archive, std::string expectedSha256)
    : archive_(std::move(archive)), expected_(Sha256::normalized(std::move(expectedSha256))) {
    thread_ = std::thread([this] { run(); });
}

BackgroundArchiveCheck::~BackgroundArchiveCheck() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

BackgroundArchiveCheck::Outcome BackgroundArchiveCheck::current() const { return outcome_.load(); }

BackgroundArchiveCheck::Outcome BackgroundArchiveCheck::wait() {
    if (thread_.joinable()) thread_.join();
    return outcome_.load();
}

const std::string& BackgroundArchiveCheck::readFailure() const { return readFailure_; }

void BackgroundArchiveCheck::run() {
    try {
        SequentialFile file(archive_);
        Sha256 digest;
        const auto buffer = std::make_unique<char[]>(SequentialFile::kBlockSize);
        while (!stop_) {
            const std::size_t count = file.read(buffer.get(), SequentialFile::kBlockSize);
            if (count == 0) {
                outcome_ = digest.finishHex() == expected_ ? Outcome::Matches : Outcome::Differs;
                return;
            }
            digest.update(buffer.get(), count);
        }
    } catch (const std::exception& error) {
        // Published by the store of the outcome; read only after joining.
        readFailure_ = error.what();
        outcome_ = Outcome::Unreadable;
    }
}

}  // namespace install::engine
