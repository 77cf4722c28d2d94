#include "gates/execution/ProgressGateUninstallCallback.h"

#include "fl/i18n/Message.h"
#include "gates/execution/ProgressMessageText.h"
#include "install/cpputil/LogMessages.h"
#include "install/cpputil/Logger.h"

namespace install::product_installer::workflow_utils {

ProgressGateUninstallCallback::ProgressGateUninstallCallback(const std::shared_ptr<DataModelHandler>& handler)
    : handler(handler) {}

ProgressGateUninstallCallback::~ProgressGateUninstallCallback() = default;

void ProgressGateUninstallCallback::operator()(install::engine::UninstallProgressData data) {
    const auto title = getUninstallTitle(data);
    const auto message = getUninstallMessage(data);
    handler->setUninstallProgressData(data.text, data.doneSize, data.totalSize, data.percent, message, title);
    handler->updateOverallUninstallProgress();
    if (data.percent >= 1 && data.percent <= 100 &&
        static_cast<std::int64_t>(data.percent) != lastPercentLogged) {
        log(fl::i18n::to_u16string(std::to_string(data.percent) + "%"));
        lastPercentLogged = static_cast<std::int64_t>(data.percent);
    }
}

void ProgressGateUninstallCallback::log(const std::u16string& text) const {
    install::cpputil::logger::append_message(text);
}

std::u16string ProgressGateUninstallCallback::getUninstallMessage(
    const install::engine::UninstallProgressData& data) const {
    if (data.percent >= kCompletedPercent) return fl::i18n::message("uninstallCompletedMessage");
    return progressSizesMessage(data.doneSize, data.totalSize);
}

std::u16string ProgressGateUninstallCallback::getUninstallTitle(
    const install::engine::UninstallProgressData& data) const {
    if (data.percent >= kCompletedPercent) return u"";
    return fl::i18n::message("uninstallTitle");
}

}  // namespace install::product_installer::workflow_utils
