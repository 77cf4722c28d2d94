#include "InstallRun.h"

#include <exception>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "ArchiveCache.h"
#include "ArchiveFetcher.h"
#include "BackgroundArchiveCheck.h"
#include "BackgroundFlush.h"
#include "DestinationLinks.h"
#include "DownloadFolder.h"
#include "EngineErrorCodes.h"
#include "InstallationRecorder.h"
#include "ProductMover.h"
#include "ProductWorkers.h"
#include "RunProgress.h"
#include "Sha256.h"
#include "StagingArea.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Interrupt.h"
#include "install/enczip/Extract.h"
#include "install/enczip/ExtractErrors.h"
#include "install/engine/EngineExceptions.h"

namespace fs = std::filesystem;

namespace install::engine {

using enczip::Sha256;
namespace {

// Products unpacked at once: one more core's worth of unpacking, while a further core still
// takes each file's digest and the checksum of the archives.
constexpr std::size_t kProductsAtOnce = 2;

std::string archiveName(const productdata::ProductRecord& record) {
    return fl::i18n::to_string(record.baseCode) + ".enc";
}

[[noreturn]] void interrupted(const productdata::ProductRecord& record) {
    throw EngineInterruptedException(kInterruptedCode, "Installation interrupted",
                                     "cancelled while installing " + fl::i18n::to_string(record.baseCode),
                                     kStartLocation);
}

[[noreturn]] void forged(const productdata::ProductRecord& record, const std::string& detail) {
    throw EngineInvalidSignatureException(kInvalidSignatureCode, archiveName(record), detail, kStartLocation);
}

bool isWebAddress(const std::u16string& path) {
    return path.starts_with(u"http://") || path.starts_with(u"https://");
}

bool isRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

InstallRun::InstallRun(InstallRequest request) : request_(std::move(request)) {}

InstallRun::~InstallRun() = default;

void InstallRun::execute() {
    std::exception_ptr failure;
    std::thread worker([this, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

void InstallRun::work() {
    const std::vector<PlannedProduct> products = plan();
    std::error_code error;
    const bool createdFolder = !fs::exists(request_.folder, error);
    try {
        const enczip::ConfinedFolder destination(request_.folder);
        try {
            StagingArea::recoverLeftovers(destination);
        } catch (const std::exception& failure) {
            throw EngineExtractOrRegisterException(kExtractCode,
                                                   "An interrupted installation cannot be taken back",
                                                   failure.what(), kStartLocation);
        }
        installAll(products, destination, createdFolder || request_.inheritsCreatedFolder);
    } catch (...) {
        // A folder this run made goes again with the run (when nothing else was put in it); the
        // archive cache stays for the next run to resume.
        if (createdFolder) fs::remove(request_.folder, error);
        throw;
    }
    if (cache_) cache_->remove();
}

void InstallRun::installAll(const std::vector<PlannedProduct>& products,
                            const enczip::ConfinedFolder& destination, bool createdFolder) {
    InstallationRecorder recorder(request_.folder, createdFolder, request_.release);
    std::uint64_t installBytes = 0;
    std::uint64_t downloadBytes = 0;
    for (const PlannedProduct& product : products) {
        installBytes += product.installBytes;
        if (product.fetch || product.source) downloadBytes += product.archiveBytes;
    }
    RunProgress progress(products.size(), installBytes, downloadBytes);
    // Destroyed unfinished, it puts the installation folder back as it was.
    StagingArea staging(destination);
    std::vector<std::vector<enczip::PlacedEntry>> staged(products.size());
    BackgroundFlush flush(staging);
    ProductWorkers workers(products.size(), kProductsAtOnce);
    workers.run([&](std::size_t index) {
        if (cpputil::interrupt::is_set()) interrupted(*products[index].record);
        staged[index] = stage(products[index], index, staging.productFolder(index), progress, workers);
        flush.productStaged();
    });
    if (!products.empty() && cpputil::interrupt::is_set()) interrupted(*products.back().record);
    try {
        flush.finish();
        staging.flush();
        ProductMover mover(destination, staging);
        for (std::size_t index = 0; index < products.size(); ++index) {
            const productdata::ProductRecord& record = *products[index].record;
            InstalledProductEntry entry{record.baseCode, record.name, record.productFamily};
            mover.move(staging.productFolder(index), staged[index], entry);
            recorder.add(std::move(entry));
        }
        // Links of earlier runs and archives count as much as this run's: together they decide
        // where a path leads.
        std::string escaping;
        for (const std::string& link : DestinationLinks::escaping(destination))
            escaping += (escaping.empty() ? "" : ", ") + link;
        if (!escaping.empty()) {
            throw EngineExtractOrRegisterException(kExtractCode,
                                                   "Symbolic links lead outside the installation folder",
                                                   escaping, kStartLocation);
        }
        recorder.place(mover);
        staging.flush();
    } catch (const EngineException&) {
        throw;
    } catch (const std::exception& error) {
        throw EngineExtractOrRegisterException(kRecordCode, "Unable to put the products in place",
                                               error.what(), kStartLocation);
    }
    staging.finish();
    progress.finish();
}

std::vector<InstallRun::PlannedProduct> InstallRun::plan() {
    std::vector<PlannedProduct> planned;
    std::set<std::u16string> seen;
    for (const std::u16string& baseCode : request_.products) {
        if (!seen.insert(baseCode).second) continue;
        const productdata::ProductRecord* record = request_.catalogue->find(baseCode);
        if (record == nullptr) {
            throw EngineMissingComponentException(kUnknownProductCode, fl::i18n::to_string(baseCode),
                                                  "the product catalogue does not describe this product",
                                                  kStartLocation);
        }
        planned.push_back(locate(*record));
    }
    return planned;
}

InstallRun::PlannedProduct InstallRun::locate(const productdata::ProductRecord& record) {
    const std::string name = archiveName(record);
    fs::path archive = request_.archivesFolder.empty() ? fs::path() : request_.archivesFolder / name;
    bool fetch = false;
    if (archive.empty() || !isRegularFile(archive)) {
        if (!request_.repository) {
            throw EngineMissingComponentException(kMissingArchiveCode, name,
                                                  "no repository to take the archive from", kStartLocation);
        }
        std::u16string path;
        try {
            path = request_.repository->getProductArchivePath(record.baseCode);
        } catch (const cpputil::InstallerException& error) {
            // A folder repository fails to list its archives when one of them is unreadable.
            const std::string location = cpputil::createLocation(kStartLocation, error.getLocation());
            if (request_.workflowType == WorkflowType::InstallFromFolder) {
                throw EngineExtractOrRegisterException(error.getErrorCode(), error.getPrimaryErrorMessage(),
                                                       error.getSecondaryErrorMessage(), location);
            }
            throw EngineDownloadException(error.getErrorCode(), error.getPrimaryErrorMessage(),
                                          error.getSecondaryErrorMessage(), location);
        }
        if (path.empty()) {
            throw EngineMissingComponentException(kMissingArchiveCode, name,
                                                  "the repository holds no archive for this product",
                                                  kStartLocation);
        }
        if (request_.workflowType == WorkflowType::Install && isWebAddress(path)) {
            PlannedProduct planned{};
            planned.record = &record;
            planned.installBytes = estimatedInstallBytes(record.baseCode, fs::path());
            planned.source = webSource(record);
            planned.archiveBytes = planned.source->size;
            return planned;
        }
        archive = fs::path(path);
        if (!isRegularFile(archive)) {
            throw EngineMissingComponentException(kMissingArchiveCode, name,
                                                  archive.string() + " does not exist", kStartLocation);
        }
        fetch = request_.workflowType == WorkflowType::Install;
    }
    std::error_code error;
    const std::uintmax_t archiveBytes = fs::file_size(archive, error);
    return {&record,
            archive,
            fetch,
            estimatedInstallBytes(record.baseCode, archive),
            error ? 0 : static_cast<std::uint64_t>(archiveBytes),
            std::nullopt};
}

repository_adapter::ArchiveSource InstallRun::webSource(const productdata::ProductRecord& record) {
    std::optional<repository_adapter::ArchiveSource> source;
    try {
        source = request_.repository->getProductArchive(record.baseCode, request_.platform);
    } catch (const cpputil::InstallerException& error) {
        throw EngineDownloadException(error.getErrorCode(), error.getPrimaryErrorMessage(),
                                      error.getSecondaryErrorMessage(),
                                      cpputil::createLocation(kStartLocation, error.getLocation()));
    }
    if (!source) {
        throw EngineMissingComponentException(
            kMissingArchiveCode, archiveName(record),
            "the repository holds no archive of this product for " + request_.platform, kStartLocation);
    }
    // The repository and the product catalogue must agree on what the archive is; the
    // downloader then holds it to that.
    const std::string catalogued = Sha256::normalized(record.archiveSha256);
    if (source->sha256.empty()) {
        source->sha256 = catalogued;
    } else if (!catalogued.empty() && Sha256::normalized(source->sha256) != catalogued) {
        forged(record, "the repository gives the checksum " + source->sha256 + ", the product catalogue " +
                           record.archiveSha256);
    }
    return *source;
}

std::uint64_t InstallRun::estimatedInstallBytes(const std::u16string& baseCode, const fs::path& archive) {
    if (!availableProducts_) {
        availableProducts_ = std::make_unique<repository_adapter::ProductMap>();
        try {
            if (request_.repository) *availableProducts_ = request_.repository->getAvailableProducts();
        } catch (const std::exception&) {
            // Sizes only steer the progress figures; the archives themselves decide the run.
        }
    }
    const auto found = availableProducts_->find(baseCode);
    if (found != availableProducts_->end() && found->second) return found->second->getInstallSize();
    std::error_code error;
    const std::uintmax_t archiveBytes = fs::file_size(archive, error);
    return error ? 0 : static_cast<std::uint64_t>(archiveBytes);
}

std::vector<enczip::PlacedEntry> InstallRun::stage(const PlannedProduct& product, std::size_t index,
                                                   const fs::path& folder, RunProgress& progress,
                                                   const ProductWorkers& workers) {
    const productdata::ProductRecord& record = *product.record;
    progress.beginProduct(index, record.name);
    Unpacking unpacking{index, progress, workers};
    std::vector<enczip::PlacedEntry> placed;
    if (product.source) {
        // The downloader checked the archive before it took its name.
        placed = unpack(product, download(product, unpacking), folder, nullptr, unpacking);
    } else if (product.fetch) {
        const fs::path copy = fetch(product, unpacking);
        placed = unpack(product, copy, folder, nullptr, unpacking);
        std::error_code ignored;
        fs::remove(copy, ignored);
    } else if (record.archiveSha256.empty()) {
        placed = unpack(product, product.archive, folder, nullptr, unpacking);
    } else {
        BackgroundArchiveCheck check(product.archive, record.archiveSha256);
        placed = unpack(product, product.archive, folder, &check, unpacking);
    }
    progress.productDone(index, unpacking.written);
    return placed;
}

fs::path InstallRun::fetch(const PlannedProduct& product, Unpacking& unpacking) {
    const productdata::ProductRecord& record = *product.record;
    ArchiveFetcher::Fetched fetched;
    try {
        fs::path into;
        {
            const std::lock_guard lock(downloadsMutex_);
            if (!downloads_) downloads_ = std::make_unique<DownloadFolder>();
            into = downloads_->path();
        }
        fetched = ArchiveFetcher::fetch(product.archive, into, [&](std::uint64_t copied) {
            unpacking.progress.fetched(unpacking.index, copied);
            if (cpputil::interrupt::is_set()) interrupted(record);
            if (unpacking.workers.stopping()) throw ProductAbandoned{};
        });
    } catch (const EngineException&) {
        throw;
    } catch (const std::exception& error) {
        throw EngineDownloadException(kFetchCode, archiveName(record), error.what(), kStartLocation);
    }
    std::error_code ignored;
    unpacking.progress.fetchDone(unpacking.index, fs::file_size(fetched.archive, ignored));
    if (!record.archiveSha256.empty() && fetched.sha256 != Sha256::normalized(record.archiveSha256)) {
        fs::remove(fetched.archive, ignored);
        forged(record, "checksum " + fetched.sha256 + " instead of " + record.archiveSha256);
    }
    return fetched.archive;
}

fs::path InstallRun::download(const PlannedProduct& product, Unpacking& unpacking) {
    const productdata::ProductRecord& record = *product.record;
    fs::path target;
    try {
        const std::lock_guard lock(downloadsMutex_);
        if (!cache_) {
            auto cache = std::make_unique<ArchiveCache>(request_.folder);
            cache->prepare();
            cache_ = std::move(cache);
        }
        target = cache_->fileFor(record.baseCode, *product.source);
    } catch (const std::exception& error) {
        throw EngineDownloadException(kFetchCode, archiveName(record), error.what(), kStartLocation);
    }
    const ArchiveDownload archive(*product.source, target, request_.proxy);
    if (!archive.isComplete()) {
        const bool done =
            archive.run([&](std::uint64_t bytes) { unpacking.progress.fetched(unpacking.index, bytes); },
                        [&] { return cpputil::interrupt::is_set() || unpacking.workers.stopping(); },
                        archiveName(record), kStartLocation);
        if (!done) {
            if (cpputil::interrupt::is_set()) interrupted(record);
            throw ProductAbandoned{};
        }
    }
    unpacking.progress.fetchDone(unpacking.index, product.source->size);
    return target;
}

std::vector<enczip::PlacedEntry> InstallRun::unpack(const PlannedProduct& product, const fs::path& archive,
                                                    const fs::path& folder, BackgroundArchiveCheck* check,
                                                    Unpacking& unpacking) {
    using Outcome = BackgroundArchiveCheck::Outcome;
    const productdata::ProductRecord& record = *product.record;
    bool stoppedForSignature = false;
    bool stoppedByUser = false;
    bool stoppedForOther = false;

    enczip::ExtractOptions options;
    options.privateDestination = true;  // the product's own staging folder
    options.onProgress = [&](const enczip::ProgressInfo& info) {
        unpacking.written = info.totalBytesWritten;
        unpacking.progress.installed(unpacking.index, unpacking.written);
        stoppedForSignature = check != nullptr && check->current() == Outcome::Differs;
        stoppedByUser = cpputil::interrupt::is_set();
        stoppedForOther = unpacking.workers.stopping();
        return !stoppedForSignature && !stoppedByUser && !stoppedForOther;
    };

    // Nothing of the archive has reached the installation folder yet: a forged one is simply
    // left in the staging folder, which goes with the run.
    const auto rejectForgery = [&] {
        forged(record, "the archive does not match the checksum of the product catalogue");
    };
    std::vector<enczip::PlacedEntry> placed;
    try {
        placed = enczip::extract(archive.string(), folder.string(), options);
    } catch (const enczip::ExtractionInterruptedError&) {
        if (stoppedForSignature) rejectForgery();
        if (stoppedByUser) interrupted(record);
        if (stoppedForOther) throw ProductAbandoned{};
        throw;
    } catch (const EngineException&) {
        throw;
    } catch (const std::exception& error) {
        // A damaged copy of the right archive fails to unpack; its checksum tells which it is.
        if (check != nullptr && check->wait() == Outcome::Differs) rejectForgery();
        throw EngineExtractOrRegisterException(kExtractCode, archiveName(record), error.what(),
                                               kStartLocation);
    }
    if (check != nullptr) {
        const Outcome outcome = check->wait();
        if (outcome == Outcome::Differs) rejectForgery();
        if (outcome == Outcome::Unreadable)
            throw EngineExtractOrRegisterException(kExtractCode, archiveName(record), check->readFailure(),
                                                   kStartLocation);
    }
    return placed;
}

}  // namespace install::engine
