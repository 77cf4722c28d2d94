#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace install::engine {

// The progress reports of one installation run, published to the registered listeners from
// the run's worker threads. A report goes out when the whole percent changes or a product
// begins or ends, never per block, so listeners that update a user interface keep up. Products
// are numbered in the order of the run; several may be under way at once, and the figures are
// their sum. Reports go out one at a time, their bytes and percent never going back.
class RunProgress {
public:
    // Sizes are the repository's estimates. Until finish() the bytes done stay below the total
    // reported, whatever was estimated; the last report has both equal and 100 percent.
    RunProgress(std::uint64_t products, std::uint64_t installBytes, std::uint64_t downloadBytes);

    void beginProduct(std::size_t product, const std::u16string& name);
    // Bytes of the product's archive fetched so far.
    void fetched(std::size_t product, std::uint64_t bytes);
    void fetchDone(std::size_t product, std::uint64_t bytes);
    // Bytes of the product unpacked so far.
    void installed(std::size_t product, std::uint64_t bytes);
    // The product is unpacked and verified.
    void productDone(std::size_t product, std::uint64_t bytes);
    // The last report: every product in place and recorded.
    void finish();

private:
    std::uint64_t installTotal() const;
    // Never below the last report, and below 100 until finish().
    std::uint64_t runningInstallPercent() const;
    void publishInstall(std::uint64_t percent);
    void publishDownload(std::uint64_t percent);

    std::mutex mutex_;
    std::u16string product_;  // the latest in the run's order that has begun
    std::size_t productIndex_ = 0;
    std::uint64_t products_;
    std::uint64_t productsDone_ = 0;
    std::uint64_t installBytes_;
    std::uint64_t installed_ = 0;  // over every product, done or under way
    std::vector<std::uint64_t> installedBy_;
    std::uint64_t downloadBytes_;
    std::uint64_t fetched_ = 0;
    std::vector<std::uint64_t> fetchedBy_;
    std::uint64_t lastInstallPercent_ = 0;
    std::uint64_t lastDownloadPercent_ = 0;
    bool finished_ = false;
};

}  // namespace install::engine
