#pragma once

#include <map>
#include <memory>
#include <string>

#include "gates/download/InstallerDownloaderInterface.h"
#include "install/downloader/Downloader.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// Fetches the installer programs of the chosen platforms into the download run folder and
// unpacks those that run on this machine, so that the folder holds, beside the product archives,
// installers that install them offline. Installers of other platforms stay packed; on a Windows
// machine the model receives an instruction for unpacking them instead. An installer already in
// the folder is not fetched again. The first failure ends the work, logged and thrown as an
// install::cpputil::InstallerException; what was fetched or unpacked stays.
class WORKFLOW_UTILS_API InstallerDownloader : public InstallerDownloaderInterface {
public:
    InstallerDownloader() = default;
    InstallerDownloader(const std::shared_ptr<DataModelHandler>& handler,
                        const std::map<std::string, std::string>& windowsInstallers,
                        const std::map<std::string, std::string>& otherInstallers,
                        const std::u16string& folder);
    InstallerDownloader(const InstallerDownloader&) = default;
    InstallerDownloader(InstallerDownloader&&) = default;
    InstallerDownloader& operator=(const InstallerDownloader&) = default;
    InstallerDownloader& operator=(InstallerDownloader&&) = default;
    ~InstallerDownloader() override;

    void downloadAndExtractInstallers(const std::u16string& proxyUserName,
                                      const std::u16string& proxyPassword) const override;

    static const std::u16string kWindowsPlatform;

protected:
    virtual std::unique_ptr<install::downloader::Downloader> getDownloader(
        const std::string& address, const std::u16string& target) const;
    virtual void download(const std::string& address, const std::u16string& target,
                          const std::u16string& proxyUserName, const std::u16string& proxyPassword) const;
    virtual void downloadWindowsInstaller(const std::u16string& userName,
                                          const std::u16string& password) const;
    virtual void downloadNonWindowsInstallers(const std::u16string& userName,
                                              const std::u16string& password) const;
    virtual void extractWindowsInstaller() const;
    virtual void extractNonWindowsInstallers() const;
    virtual std::u16string getExtractionInstruction() const;
    virtual void setExtractionInstruction(const std::u16string& text) const;
    virtual void extract(const std::string& archive, const std::string& destination) const;
    virtual void log_message(const std::u16string& message) const;
    virtual bool file_exists(const std::u16string& path) const;

private:
    void downloadEach(const std::map<std::string, std::string>& installers, const std::u16string& userName,
                      const std::u16string& password) const;
    void extractEach(const std::map<std::string, std::string>& installers) const;

    std::shared_ptr<DataModelHandler> handler;
    std::map<std::string, std::string> windowsInstallers;
    std::map<std::string, std::string> otherInstallers;
    std::u16string folder;
};

}  // namespace install::product_installer::workflow_utils
