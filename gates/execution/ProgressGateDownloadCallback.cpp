#include "gates/execution/ProgressGateDownloadCallback.h"

#include "fl/i18n/Message.h"
#include "gates/execution/ProgressMessageText.h"
#include "install/cpputil/LogMessages.h"

namespace install::product_installer::workflow_utils {

ProgressGateDownloadCallback::ProgressGateDownloadCallback(const std::shared_ptr<DataModelHandler>& handler)
    : handler(handler) {}

ProgressGateDownloadCallback::~ProgressGateDownloadCallback() = default;

void ProgressGateDownloadCallback::operator()(install::engine::DownloadProgressData data) {
    const auto title = getDownloadTitle(data);
    const auto message = getDownloadMessage(data);
    handler->setDownloadProgressData(data.text, data.doneSize, data.totalSize, data.percent, message, title);
    handler->updateOverallProgress();
}

std::u16string ProgressGateDownloadCallback::getDownloadMessage(
    const install::engine::DownloadProgressData& data) const {
    if (data.percent >= kCompletedPercent) return fl::i18n::message("downloadCompletedMessage");
    return progressSizesMessage(data.doneSize, data.totalSize);
}

std::u16string ProgressGateDownloadCallback::getDownloadTitle(
    const install::engine::DownloadProgressData& data) const {
    if (data.percent >= kCompletedPercent) return u"";
    return fl::i18n::message("downloadTitle");
}

}  // namespace install::product_installer::workflow_utils
