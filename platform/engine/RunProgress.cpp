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

// Sets one product's figure and keeps the sum over all products with it.
void record(std::vector<std::uint64_t>& byProduct, std::uint64_t& sum, std::size_t product,
            std::uint64_t bytes) {
    sum += bytes - byProduct.at(product);
    byProduct[product] = bytes;
}

}  // namespace

RunProgress::RunProgress(std::uint64_t products, std::uint64_t installBytes, std::uint64_t downloadBytes)
    : products_(products),
      installBytes_(installBytes),
      installedBy_(products, 0),
      downloadBytes_(downloadBytes),
      fetchedBy_(products, 0) {}

void RunProgress::beginProduct(std::size_t product, const std::u16string& name) {
    const std::lock_guard lock(mutex_);
    // Products under way at once may begin in either order; the text follows the run's order.
    if (product_.empty() || product >= productIndex_) {
        product_ = name;
        productIndex_ = product;
    }
    publishInstall(
        std::max(lastInstallPercent_, std::min(kLastRunningPercent, percentOf(installed_, installTotal()))));
}

void RunProgress::fetched(std::size_t product, std::uint64_t bytes) {
    const std::lock_guard lock(mutex_);
    record(fetchedBy_, fetched_, product, bytes);
    const std::uint64_t percent = percentOf(fetched_, downloadBytes_);
    if (percent > lastDownloadPercent_) publishDownload(percent);
}

void RunProgress::fetchDone(std::size_t product, std::uint64_t bytes) {
    const std::lock_guard lock(mutex_);
    record(fetchedBy_, fetched_, product, bytes);
    publishDownload(std::max(lastDownloadPercent_, percentOf(fetched_, downloadBytes_)));
}

void RunProgress::installed(std::size_t product, std::uint64_t bytes) {
    const std::lock_guard lock(mutex_);
    record(installedBy_, installed_, product, bytes);
    const std::uint64_t percent = runningInstallPercent();
    if (percent > lastInstallPercent_) publishInstall(percent);
}

void RunProgress::productDone(std::size_t product, std::uint64_t bytes) {
    const std::lock_guard lock(mutex_);
    record(installedBy_, installed_, product, bytes);
    ++productsDone_;
    publishInstall(
        std::max(lastInstallPercent_, std::min(kLastRunningPercent, percentOf(installed_, installTotal()))));
}

void RunProgress::finish() {
    const std::lock_guard lock(mutex_);
    finished_ = true;
    publishInstall(100);
}

std::uint64_t RunProgress::runningInstallPercent() const {
    return std::max(lastInstallPercent_,
                    std::min(kLastRunningPercent, percentOf(installed_, installTotal())));
}

std::uint64_t RunProgress::installTotal() const {
    // Until every product is in place and recorded one byte is held back, so that no listener
    // works out a whole hundred percent from the figures before the run has succeeded.
    return finished_ ? installed_ : std::max(installBytes_, installed_ + 1);
}

void RunProgress::publishInstall(std::uint64_t percent) {
    lastInstallPercent_ = percent;
    publishInstallProgress({product_, productsDone_, installed_, products_, installTotal(), percent});
}

void RunProgress::publishDownload(std::uint64_t percent) {
    lastDownloadPercent_ = percent;
    publishDownloadProgress({product_, fetched_, std::max(downloadBytes_, fetched_), percent});
}

}  // namespace install::engine
