#include "ProgressChannels.h"

#include "EngineProgressPublisher.h"
#include "install/engine/ProgressRegistration.h"

namespace install::engine {

ProgressChannels& ProgressChannels::process() {
    static ProgressChannels channels;
    return channels;
}

boost::signals2::scoped_connection registerDownloadProgressCallback(
    const std::function<void(DownloadProgressData)>& callback) {
    return ProgressChannels::process().download.signal.connect(callback);
}

boost::signals2::scoped_connection registerInstallProgressCallback(
    const std::function<void(InstallProgressData)>& callback) {
    return ProgressChannels::process().install.signal.connect(callback);
}

boost::signals2::scoped_connection registerUninstallProgressCallback(
    const std::function<void(UninstallProgressData)>& callback) {
    return ProgressChannels::process().uninstall.signal.connect(callback);
}

void publishDownloadProgress(const DownloadProgressData& data) {
    ProgressChannels::process().download.publish(data);
}

void publishInstallProgress(const InstallProgressData& data) {
    ProgressChannels::process().install.publish(data);
}

void publishUninstallProgress(const UninstallProgressData& data) {
    ProgressChannels::process().uninstall.publish(data);
}

}  // namespace install::engine
