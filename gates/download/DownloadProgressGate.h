#pragma once

#include <map>
#include <memory>
#include <string>

#include <boost/signals2/connection.hpp>

#include "fl/i18n/Message.h"
#include "gates/download/DownloadProgressGateCallback.h"
#include "gates/download/InstallerDownloaderInterface.h"
#include "install/cpputil/InstallerException.h"
#include "install/engine/Engine.h"
#include "install/engine/EngineConfig.h"
#include "install/platformutil/DefaultDirectoryProvider.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The work of a download-only run: the selected products' archives for every chosen platform go
// into "archives" of a new time-stamped folder below the download folder, through the engine,
// with its progress shown; then the platforms' installers are fetched into the same folder. Each
// failure leaves one failure page, a log line and a diagnostics record, and the step open; what
// was downloaded stays on disk.

class WORKFLOW_UTILS_API DownloadProgressGate : public install::workflow_manager::Gate {
public:
    using InstallerUrls = InstallerDownloaderInterface::InstallerUrls;

    DownloadProgressGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    DownloadProgressGate(DownloadProgressGate&&) noexcept;
    DownloadProgressGate& operator=(DownloadProgressGate&&) noexcept;
    ~DownloadProgressGate() override;

    // Blocks until the products and installers are downloaded or a step failed.
    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    // The engine's callback writes progress from other threads, each in a transaction of its own.
    bool checkIfCommitsTransactions() const override;

protected:
    virtual std::unique_ptr<install::platformutil::DefaultDirectoryProvider> getDefaultDirectoryProvider()
        const;
    virtual void log_message(const std::u16string& message) const;
    virtual void downloadProducts(const std::u16string& archiveFolder) const;
    virtual void downloadAndExtractInstallers(const std::u16string& runFolder) const;
    virtual std::unique_ptr<InstallerDownloaderInterface> getInstallerDownloader(
        const std::shared_ptr<DataModelHandler>& handler, const InstallerUrls& windowsInstallers,
        const InstallerUrls& otherInstallers, const std::u16string& folder) const;
    virtual std::unique_ptr<install::engine::Engine> getEngineInstance() const;
    virtual std::unique_ptr<install::engine::EngineConfig> getEngineConfigInstance() const;
    // Called inside the handler of `error`: shows, logs and reports it, then rethrows it.
    virtual void handleException(const fl::i18n::BaseMsgID& title, const fl::i18n::BaseMsgID& message,
                                 const install::cpputil::InstallerException& error,
                                 std::u16string detail) const;
    virtual void collectErrorInfoForTlmx(const std::string& code, const std::string& primaryMessage,
                                         const std::string& secondaryMessage,
                                         const std::string& location) const;
    virtual std::string getProgressLocation() const;
    // Refers to the callback, which must outlive the returned connection.
    virtual boost::signals2::scoped_connection setupDownloadProgressCallback(
        DownloadProgressGateCallback& callback) const;
    virtual install::tlmx::DiagnosticsData::Map getDiagnosticsData() const;
    virtual void collectProgressData() const;

private:
    // The repository the platform page configured; throws when the model holds none.
    std::shared_ptr<install::repository_adapter::RepositoryAdapter> repository() const;
    void recordTime(install::tlmx::SessionDataKey key) const;
    // An outside component's error text may echo the proxy credentials it was given.
    std::string withoutProxyPassword(std::string text) const;

    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
    std::unique_ptr<install::tlmx::TlmxUtil> tlmxUtil;
    std::unique_ptr<install::tlmx::DiagnosticsData> diagnosticsData;
};

}  // namespace install::product_installer::workflow_utils
