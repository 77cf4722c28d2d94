#include "gates/execution/ProgressGateInstallCallback.h"

#include "fl/i18n/Message.h"
#include "gates/execution/ProgressMessageText.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

ProgressGateInstallCallback::ProgressGateInstallCallback(const std::shared_ptr<DataModelHandler>& handler)
    : handler(handler) {}

ProgressGateInstallCallback::~ProgressGateInstallCallback() = default;

void ProgressGateInstallCallback::operator()(install::engine::InstallProgressData data) {
    const auto title = getInstallTitle(data);
    const auto message = getInstallMessage(data);
    handler->setInstallProgressData(data.text, data.doneComponents, data.doneSize, data.totalComponents,
                                    data.totalSize, data.percent, message, title);
    handler->updateOverallProgress();
    if (data.percent >= 1 && data.percent <= 100 &&
        static_cast<std::int64_t>(data.percent) != lastPercentLogged) {
        log(fl::i18n::to_u16string(std::to_string(data.percent) + "%"));
        lastPercentLogged = static_cast<std::int64_t>(data.percent);
    }
}

void ProgressGateInstallCallback::log(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

std::u16string ProgressGateInstallCallback::getInstallMessage(
    const install::engine::InstallProgressData& data) const {
    if (data.percent >= kCompletedPercent) return fl::i18n::message("installCompletedMessage");
    return progressSizesMessage(data.doneSize, data.totalSize);
}

std::u16string ProgressGateInstallCallback::getInstallTitle(
    const install::engine::InstallProgressData& data) const {
    if (data.percent >= kCompletedPercent) return u"";
    return fl::i18n::message("installTitle");
}

}  // namespace install::product_installer::workflow_utils
