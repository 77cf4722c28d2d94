// The engine's download-only run: the archives to fetch, the transfers side by side with their
// progress summed in bytes, and the catalogue that makes each platform folder a packages root.
#include "DownloadRun.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <system_error>

#include "ArchiveDownload.h"
#include "EngineErrorCodes.h"
#include "EngineProgressPublisher.h"
#include "ProductWorkers.h"
#include "Sha256.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Interrupt.h"
#include "install/engine/EngineExceptions.h"

namespace fs = std::filesystem;

namespace install::engine {
namespace {

constexpr const char* kLocation = "Engine::startForDownloadOnly";

struct Transfer {
    std::u16string baseCode;
    std::u16string name;
    std::string platform;
    repository_adapter::ArchiveSource source;
    fs::path target;
};

// Sums the bytes of every transfer and reports them, at most every 50 ms and when all is done.
class DownloadProgress {
public:
    DownloadProgress(std::size_t transfers, std::uint64_t total) : done_(transfers, 0), total_(total) {}

    void update(std::size_t transfer, std::uint64_t done, const std::u16string& name) {
        const std::lock_guard lock(mutex_);
        done_[transfer] = done;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(50)) return;
        last_ = now;
        publish(name);
    }

    void finish(const std::u16string& name) {
        const std::lock_guard lock(mutex_);
        publish(name);
    }

private:
    void publish(const std::u16string& name) const {
        std::uint64_t sum = 0;
        for (const std::uint64_t bytes : done_) sum += bytes;
        publishDownloadProgress(
            {name, sum, total_, total_ == 0 ? 100 : std::min<std::uint64_t>(100, sum * 100 / total_)});
    }

    std::mutex mutex_;
    std::vector<std::uint64_t> done_;
    std::uint64_t total_;
    std::chrono::steady_clock::time_point last_{};
};

// Written aside, flushed and renamed, so no one reads half a catalogue.
void placeCatalogue(const fs::path& folder, const productidentifier::ProductCatalogue& catalogue) {
    const fs::path file = folder / DownloadRun::kCatalogueName;
    const fs::path aside = folder / (std::string(".") + DownloadRun::kCatalogueName + ".part");
    const std::string text = catalogue.toJson();
    const int descriptor = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool written = descriptor >= 0 &&
                   ::write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                   ::fsync(descriptor) == 0;
    if (descriptor >= 0) written = ::close(descriptor) == 0 && written;
    std::error_code error;
    if (written) fs::rename(aside, file, error);
    if (!written || error) {
        fs::remove(aside, error);
        throw EngineDownloadException(kFetchCode, "Cannot write the catalogue of the downloaded archives",
                                      file.string(), kLocation);
    }
}

// The run's catalogue with the checksum of every archive that lies in the folder: fetched now, or
// by an earlier run into the same folder, as that run's catalogue there says.
void writeCatalogue(const fs::path& folder, const productidentifier::ProductCatalogue& catalogue,
                    const std::vector<Transfer>& transfers) {
    std::optional<productidentifier::ProductCatalogue> earlier;
    try {
        if (fs::exists(folder / DownloadRun::kCatalogueName))
            earlier = productidentifier::ProductCatalogue::fromFile(folder / DownloadRun::kCatalogueName);
    } catch (const std::exception&) {
        // Replaced below; the archives it described are checked against nothing then.
    }
    std::vector<productdata::ProductRecord> records = catalogue.getProducts();
    for (productdata::ProductRecord& record : records) {
        record.archiveSha256.clear();
        if (earlier && earlier->find(record.baseCode))
            record.archiveSha256 = earlier->find(record.baseCode)->archiveSha256;
        for (const Transfer& transfer : transfers) {
            if (transfer.baseCode == record.baseCode && transfer.target.parent_path() == folder)
                record.archiveSha256 = enczip::Sha256::normalized(transfer.source.sha256);
        }
        std::error_code error;
        if (!fs::exists(folder / (fl::i18n::to_string(record.baseCode) + ".enc"), error))
            record.archiveSha256.clear();
    }
    placeCatalogue(folder, productidentifier::ProductCatalogue(std::move(records)));
}

[[noreturn]] void interrupted() {
    throw EngineInterruptedException(kInterruptedCode, "Download interrupted", "cancelled while downloading",
                                     kLocation);
}

}  // namespace

DownloadRun::DownloadRun(DownloadRequest request) : request_(std::move(request)) {}

void DownloadRun::run() {
    std::vector<Transfer> transfers;
    std::uint64_t total = 0;
    for (const std::string& platform : request_.platforms) {
        for (const std::u16string& code : request_.products) {
            const auto* record = request_.catalogue ? request_.catalogue->find(code) : nullptr;
            const std::u16string name = record ? record->name : code;
            std::optional<repository_adapter::ArchiveSource> source;
            try {
                source = request_.repository->getProductArchive(code, platform);
            } catch (const std::exception& error) {
                throw EngineDownloadException(kFetchCode, fl::i18n::to_string(name), error.what(), kLocation);
            }
            if (!source)
                throw EngineMissingComponentException(kMissingArchiveCode, fl::i18n::to_string(name),
                                                      "the repository has no archive for " + platform,
                                                      kLocation);
            total += source->size;
            transfers.push_back({code, name, platform, *source,
                                 request_.archivesFolder / platform / (fl::i18n::to_string(code) + ".enc")});
        }
    }
    for (const std::string& platform : request_.platforms)
        fs::create_directories(request_.archivesFolder / platform);
    // Largest first: a large archive started last would run on alone long after the others.
    std::stable_sort(transfers.begin(), transfers.end(),
                     [](const Transfer& a, const Transfer& b) { return a.source.size > b.source.size; });

    DownloadProgress progress(transfers.size(), total);
    ProductWorkers workers(transfers.size(), kTransfersAtOnce);
    workers.run([&](std::size_t index) {
        const Transfer& transfer = transfers[index];
        if (cpputil::interrupt::is_set()) interrupted();
        const ArchiveDownload download(transfer.source, transfer.target,
                                       {request_.proxyUrl, request_.proxyUserName, request_.proxyPassword});
        if (!download.isComplete()) {
            const bool done =
                download.run([&](std::uint64_t bytes) { progress.update(index, bytes, transfer.name); },
                             [&] { return cpputil::interrupt::is_set() || workers.stopping(); },
                             fl::i18n::to_string(transfer.name) + " for " + transfer.platform, kLocation);
            if (!done) {
                if (cpputil::interrupt::is_set()) interrupted();
                throw ProductAbandoned{};
            }
        }
        progress.update(index, transfer.source.size, transfer.name);
    });
    if (!transfers.empty()) progress.finish(transfers.back().name);
    if (request_.catalogue) {
        for (const std::string& platform : request_.platforms)
            writeCatalogue(request_.archivesFolder / platform, *request_.catalogue, transfers);
    }
}

}  // namespace install::engine
