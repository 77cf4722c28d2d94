#include "gates/download/DownloadProgressGateCallback.h"

#include <utility>

#include "fl/i18n/Message.h"
#include "gates/execution/ProgressMessageText.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

DownloadProgressGateCallback::DownloadProgressGateCallback(std::shared_ptr<DataModelHandler> handler)
    : handler(std::move(handler)) {}

DownloadProgressGateCallback::DownloadProgressGateCallback(const DownloadProgressGateCallback&) = default;
DownloadProgressGateCallback& DownloadProgressGateCallback::operator=(const DownloadProgressGateCallback&) =
    default;
DownloadProgressGateCallback::~DownloadProgressGateCallback() = default;

void DownloadProgressGateCallback::operator()(install::engine::DownloadProgressData data) {
    handler->setInstallProgressData(u"", 0, 0, 0, 0, 0, getInstallTitle(data), u"");
    handler->setDownloadProgressData(data.text, data.doneSize, data.totalSize, data.percent,
                                     getDownloadMessage(data), getDownloadTitle(data));
    handler->updateOverallProgress();
}

std::u16string DownloadProgressGateCallback::getDownloadMessage(
    const install::engine::DownloadProgressData& data) const {
    if (data.percent >= kCompletedPercent) return u"";
    return progressSizesMessage(data.doneSize, data.totalSize);
}

std::u16string DownloadProgressGateCallback::getDownloadTitle(
    const install::engine::DownloadProgressData& data) const {
    if (data.percent >= kCompletedPercent) return fl::i18n::message("downloadInstallerTitle");
    return fl::i18n::message("downloadTitle");
}

std::u16string DownloadProgressGateCallback::getInstallTitle(
    const install::engine::DownloadProgressData& data) const {
    if (data.percent >= kCompletedPercent) return fl::i18n::message("downloadInstallerMessage");
    return u"";
}

}  // namespace install::product_installer::workflow_utils
