#include "gates/download/InstallerDownloader.h"

#include <stdexcept>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/InstallerException.h"
#include "install/cpputil/Interrupt.h"
#include "install/cpputil/Logger.h"
#include "install/downloader/DownloaderExceptions.h"
#include "install/enczip/Extract.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char kDownloadCode[] = "20";
constexpr char kDownloadFailed[] = "Installer download failed.";
constexpr char kDownloadLocation[] = "DownloadProgress::InstallerDownloader::DownloadInstaller";
constexpr char kExtractCode[] = "30";
constexpr char kExtractFailed[] = "Installer extract failed.";
constexpr char kExtractLocation[] = "DownloadProgress::InstallerDownloader::ExtractInstaller";

}  // namespace

const std::u16string InstallerDownloader::kWindowsPlatform = u"w64pc";

InstallerDownloader::InstallerDownloader(const std::shared_ptr<DataModelHandler>& handler,
                                         const std::map<std::string, std::string>& windowsInstallers,
                                         const std::map<std::string, std::string>& otherInstallers,
                                         const std::u16string& folder)
    : handler(handler),
      windowsInstallers(windowsInstallers),
      otherInstallers(otherInstallers),
      folder(folder) {}

InstallerDownloader::~InstallerDownloader() = default;

void InstallerDownloader::downloadAndExtractInstallers(const std::u16string& proxyUserName,
                                                       const std::u16string& proxyPassword) const {
    if (!windowsInstallers.empty()) downloadWindowsInstaller(proxyUserName, proxyPassword);
    if (!otherInstallers.empty()) downloadNonWindowsInstallers(proxyUserName, proxyPassword);
    if (handler->getExecutionPlatform() == kWindowsPlatform) {
        if (!windowsInstallers.empty()) extractWindowsInstaller();
        if (!otherInstallers.empty()) setExtractionInstruction(getExtractionInstruction());
        return;
    }
    if (!otherInstallers.empty()) extractNonWindowsInstallers();
    if (!windowsInstallers.empty()) extractWindowsInstaller();
}

std::unique_ptr<install::downloader::Downloader> InstallerDownloader::getDownloader(
    const std::string& address, const std::u16string& target) const {
    return std::make_unique<install::downloader::Downloader>(address, target);
}

void InstallerDownloader::download(const std::string& address, const std::u16string& target,
                                   const std::u16string& proxyUserName,
                                   const std::u16string& proxyPassword) const {
    const auto downloader = getDownloader(address, target);
    if (!proxyUserName.empty() && !proxyPassword.empty())
        downloader->setProxySettings(fl::i18n::to_string(proxyUserName), fl::i18n::to_string(proxyPassword));
    auto* const running = downloader.get();
    downloader->setProgressCallback([running](std::int64_t, std::int64_t) {
        if (install::cpputil::interrupt::is_set()) running->cancelDownload();
    });
    downloader->download();
}

void InstallerDownloader::downloadWindowsInstaller(const std::u16string& userName,
                                                   const std::u16string& password) const {
    downloadEach(windowsInstallers, userName, password);
}

void InstallerDownloader::downloadNonWindowsInstallers(const std::u16string& userName,
                                                       const std::u16string& password) const {
    downloadEach(otherInstallers, userName, password);
}

void InstallerDownloader::downloadEach(const std::map<std::string, std::string>& installers,
                                       const std::u16string& userName, const std::u16string& password) const {
    const auto fail = [this](const char* prefix, const std::exception& error) {
        const std::u16string line = fl::i18n::to_u16string(prefix) + fl::i18n::to_u16string(error.what());
        log_message(line);
        throw install::cpputil::InstallerException(kDownloadCode, kDownloadFailed, fl::i18n::to_string(line),
                                                   kDownloadLocation);
    };
    for (const auto& [name, address] : installers) {
        const std::u16string target = joinPath(folder, fl::i18n::to_u16string(name));
        if (file_exists(target)) continue;
        log_message(u"Starting to download installer:  " + target);
        try {
            download(address, target, userName, password);
        } catch (const install::downloader::DownloaderHttpRequestTimeoutException& error) {
            fail("Failed to download due to timeout exception: ", error);
        } catch (const install::downloader::DownloaderHttpRequestFailedException& error) {
            fail("Failed to download due to http request exception: ", error);
        } catch (const std::runtime_error& error) {
            fail("Failed to download: ", error);
        }
    }
}

void InstallerDownloader::extractWindowsInstaller() const { extractEach(windowsInstallers); }

void InstallerDownloader::extractNonWindowsInstallers() const { extractEach(otherInstallers); }

void InstallerDownloader::extractEach(const std::map<std::string, std::string>& installers) const {
    const auto fail = [this](const char* prefix, const std::exception& error) {
        const std::u16string line = fl::i18n::to_u16string(prefix) + fl::i18n::to_u16string(error.what());
        log_message(line);
        throw install::cpputil::InstallerException(kExtractCode, kExtractFailed, fl::i18n::to_string(line),
                                                   kExtractLocation);
    };
    for (const auto& [name, address] : installers) {
        const std::u16string archive = joinPath(folder, fl::i18n::to_u16string(name));
        if (!file_exists(archive)) continue;
        log_message(u"Starting to extract installer:  " + archive);
        try {
            extract(fl::i18n::to_string(archive), fl::i18n::to_string(folder));
        } catch (const std::invalid_argument& error) {
            fail("Failed to extract due to invalid argument: ", error);
        } catch (const std::runtime_error& error) {
            fail("Failed to extract: ", error);
        }
    }
}

std::u16string InstallerDownloader::getExtractionInstruction() const {
    return fl::i18n::message("installerExtractionInstruction", handler->getReleaseFamily(), kWindowsPlatform);
}

void InstallerDownloader::setExtractionInstruction(const std::u16string& text) const {
    handler->setInstallerExtractionInstruction(text);
}

void InstallerDownloader::extract(const std::string& archive, const std::string& destination) const {
    install::enczip::extract(archive, destination);
}

void InstallerDownloader::log_message(const std::u16string& message) const {
    install::cpputil::logger::append_message(message);
}

bool InstallerDownloader::file_exists(const std::u16string& path) const {
    return fl::filesystem::exists(path);
}

}  // namespace install::product_installer::workflow_utils
