#include "RunProgress.h"

#include <algorithm>

#include "EngineProgressPublisher.h"

namespace install::engine {
namespace {

constexpr std::uint64_t kLastRunningPercent = 99;

std::uint64_t percentOf(std::uint64_t done, std::uint64_t total) {
    if (total == 0) return 0;
    // Split so that even sizes near the top of the range do not overflow.
    return std::min<std::uint64_t>(100, done / total * 100 + done % total * 100 / total);
}

}  // namespace

RunProgress::RunProgress(std::uint64_t products, std::uint64_t installBytes, std::uint64_t downloadBytes)
    : products_(products), installBytes_(installBytes), downloadBytes_(downloadBytes) {}

void RunProgress::beginProduct(const std::u16string& name) {
    product_ = name;
    installedNow_ = 0;
    fetchedNow_ = 0;
    publishInstall(std::min(kLastRunningPercent, percentOf(installedBefore_, installTotal())));
}

void RunProgress::fetched(std::uint64_t bytes) {
    fetchedNow_ = bytes;
    const std::uint64_t percent = percentOf(fetchedBefore_ + fetchedNow_, downloadBytes_);
    if (percent != lastDownloadPercent_) publishDownload(percent);
}

void RunProgress::fetchDone(std::uint64_t bytes) {
    fetchedBefore_ += bytes;
    fetchedNow_ = 0;
    publishDownload(percentOf(fetchedBefore_, downloadBytes_));
}

void RunProgress::installed(std::uint64_t bytes) {
    installedNow_ = bytes;
    const std::uint64_t percent =
        std::min(kLastRunningPercent, percentOf(installedBefore_ + installedNow_, installTotal()));
    if (percent != lastInstallPercent_) publishInstall(percent);
}

void RunProgress::productDone(std::uint64_t bytes) {
    installedBefore_ += bytes;
    installedNow_ = 0;
    ++productsDone_;
    publishInstall(std::min(kLastRunningPercent, percentOf(installedBefore_, installTotal())));
}

void RunProgress::finish() {
    finished_ = true;
    publishInstall(100);
}

std::uint64_t RunProgress::installTotal() const {
    const std::uint64_t done = installedBefore_ + installedNow_;
    // Until every product is in place and recorded one byte is held back, so that no listener
    // works out a whole hundred percent from the figures before the run has succeeded.
    return finished_ ? done : std::max(installBytes_, done + 1);
}

void RunProgress::publishInstall(std::uint64_t percent) {
    lastInstallPercent_ = percent;
    const std::uint64_t done = installedBefore_ + installedNow_;
    publishInstallProgress({product_, productsDone_, done, products_, installTotal(), percent});
}

void RunProgress::publishDownload(std::uint64_t percent) {
    lastDownloadPercent_ = percent;
    publishDownloadProgress({product_, fetchedBefore_ + fetchedNow_,
                             std::max(downloadBytes_, fetchedBefore_ + fetchedNow_), percent});
}

}  // namespace install::engine
