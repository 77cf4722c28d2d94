#pragma once

#include <cstdint>
#include <string>

namespace install::engine {

// The progress reports of one installation run, published to the registered listeners from
// the run's worker thread. A report goes out when the whole percent changes or a product
// begins or ends, never per block, so listeners that update a user interface keep up.
class RunProgress {
public:
    // Sizes are the repository's estimates. Until finish() the bytes done stay below the total
    // reported, whatever was estimated; the last report has both equal and 100 percent.
    RunProgress(std::uint64_t products, std::uint64_t installBytes, std::uint64_t downloadBytes);

    void beginProduct(const std::u16string& name);
    // Bytes of the current product's archive fetched so far.
    void fetched(std::uint64_t bytes);
    void fetchDone(std::uint64_t bytes);
    // Bytes of the current product unpacked so far.
    void installed(std::uint64_t bytes);
    // The product is unpacked and verified.
    void productDone(std::uint64_t bytes);
    // The last report: every product in place and recorded.
    void finish();

private:
    std::uint64_t installTotal() const;
    void publishInstall(std::uint64_t percent);
    void publishDownload(std::uint64_t percent);

    std::u16string product_;
    std::uint64_t products_;
    std::uint64_t productsDone_ = 0;
    std::uint64_t installBytes_;
    std::uint64_t installedBefore_ = 0;
    std::uint64_t installedNow_ = 0;
    std::uint64_t downloadBytes_;
    std::uint64_t fetchedBefore_ = 0;
    std::uint64_t fetchedNow_ = 0;
    std::uint64_t lastInstallPercent_ = 0;
    std::uint64_t lastDownloadPercent_ = 0;
    bool finished_ = false;
};

}  // namespace install::engine
