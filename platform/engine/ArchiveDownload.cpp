// One archive from the repository through the downloader, with the engine's failures for what
// can go wrong on the way.
#include "ArchiveDownload.h"

#include <fcntl.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "EngineErrorCodes.h"
#include "FileDescriptor.h"
#include "Sha256.h"
#include "install/downloader/Downloader.h"
#include "install/downloader/DownloaderExceptions.h"
#include "install/engine/EngineExceptions.h"

namespace install::engine {

ArchiveDownload::ArchiveDownload(repository_adapter::ArchiveSource source, std::filesystem::path target,
                                 ProxySettings proxy)
    : source_(std::move(source)), target_(std::move(target)), proxy_(std::move(proxy)) {}

bool ArchiveDownload::isComplete() const {
    std::error_code error;
    if (std::filesystem::file_size(target_, error) != source_.size || error) return false;
    if (source_.sha256.empty()) return true;
    const enczip::FileDescriptor file(::open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    try {
        return file.valid() &&
               enczip::Sha256::ofFile(file.get()) == enczip::Sha256::normalized(source_.sha256);
    } catch (const std::system_error&) {
        return false;
    }
}

bool ArchiveDownload::run(const Progress& progress, const StopRequest& stop, const std::string& what,
                          const char* location) const {
    downloader::Downloader downloader(source_.address, target_.u16string());
    if (!proxy_.url.empty()) downloader.setProxyUrl(proxy_.url);
    if (!proxy_.userName.empty() && !proxy_.password.empty())
        downloader.setProxySettings(proxy_.userName, proxy_.password);
    if (!source_.accessToken.empty()) downloader.setAccessToken(source_.accessToken);
    downloader.setExpectedSize(source_.size);
    if (!source_.sha256.empty()) downloader.setExpectedSha256(source_.sha256);
    downloader.setProgressCallback([&](std::int64_t done, std::int64_t) {
        if (stop && stop()) downloader.cancelDownload();
        if (progress) progress(static_cast<std::uint64_t>(std::max<std::int64_t>(done, 0)));
    });
    try {
        downloader.download();
    } catch (const downloader::DownloaderCancelledException&) {
        return false;
    } catch (const downloader::DownloaderVerificationException& error) {
        throw EngineInvalidSignatureException(kInvalidSignatureCode, what, error.what(), location);
    } catch (const std::exception& error) {
        throw EngineDownloadException(kFetchCode, what, error.what(), location);
    }
    if (progress) progress(source_.size);
    return true;
}

}  // namespace install::engine
