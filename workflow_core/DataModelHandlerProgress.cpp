// Progress records, written from engine threads, and the confirmation summary. Each setter
// commits a transaction of its own; a rejected commit is neither reported nor retried.
#include <optional>

#include "tq/zero/Transaction.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/detail/ModelEditing.h"

namespace install::product_installer::workflow_utils {

namespace dm = install::datamodels::product_installer;

namespace {

// A record that does not exist reads as a fresh one with default values; it is not stored.
template <class Record, class Getter>
Record currentRecord(const tq::zero::Model& model, const dm::WorkflowDependentData& dependent,
                     Getter getter) {
    if (dependent) {
        const auto progress = dependent.getProgressData();
        if (progress) {
            const Record record = (progress.*getter)();
            if (record) return record;
        }
    }
    return Record::create(model, tq::zero::nilUuid());
}

}  // namespace

void DataModelHandler::initializeProgressData() const {
    dependentData().setProgressData(dm::ProgressData::create(model, tq::zero::nilUuid()));
}

void DataModelHandler::setDownloadProgressData(const std::u16string& componentName,
                                               unsigned long long bytesSoFar,
                                               unsigned long long expectedBytes,
                                               unsigned long long percentage, std::u16string message,
                                               std::u16string title) const {
    const std::lock_guard lock(progressMutex);
    const tq::zero::Transaction transaction(model);
    const auto record = DownloadProgressData::create(model, tq::zero::nilUuid());
    record.setComponentName(componentName);
    record.setBytesDownloadedSoFar(bytesSoFar);
    record.setExpectedBytesToBeDownloaded(expectedBytes);
    record.setPercentage(percentage);
    record.setDownloadMessage(message);
    record.setDownloadTitle(title);
    dependentData().getProgressData().setDownloadProgressData(record);
    transaction.commit();
}

void DataModelHandler::setInstallProgressData(const std::u16string& componentName,
                                              unsigned long long componentsSoFar,
                                              unsigned long long bytesSoFar,
                                              unsigned long long expectedComponents,
                                              unsigned long long expectedBytes, unsigned long long percentage,
                                              std::u16string message, std::u16string title) const {
    const std::lock_guard lock(progressMutex);
    const tq::zero::Transaction transaction(model);
    const auto record = InstallProgressData::create(model, tq::zero::nilUuid());
    record.setComponentName(componentName);
    record.setNumberOfComponentsInstalledSoFar(componentsSoFar);
    record.setBytesInstalledSoFar(bytesSoFar);
    record.setExpectedNumberOfComponentsToBeInstalled(expectedComponents);
    record.setExpectedBytesToBeInstalled(expectedBytes);
    record.setPercentage(percentage);
    record.setInstallMessage(message);
    record.setInstallTitle(title);
    dependentData().getProgressData().setInstallProgressData(record);
    transaction.commit();
}

void DataModelHandler::setUninstallProgressData(const std::u16string& componentName,
                                                unsigned long long bytesSoFar,
                                                unsigned long long expectedBytes,
                                                unsigned long long percentage, std::u16string message,
                                                std::u16string title) const {
    const std::lock_guard lock(progressMutex);
    const tq::zero::Transaction transaction(model);
    const auto record = UninstallProgressData::create(model, tq::zero::nilUuid());
    record.setComponentName(componentName);
    record.setBytesUninstalledSoFar(bytesSoFar);
    record.setExpectedBytesToBeUninstalled(expectedBytes);
    record.setPercentage(percentage);
    record.setUninstallMessage(message);
    record.setUninstallTitle(title);
    dependentData().getProgressData().setUninstallProgressData(record);
    transaction.commit();
}

DataModelHandler::DownloadProgressData DataModelHandler::getDownloadProgressData() const {
    return currentRecord<DownloadProgressData>(model, dependentData(),
                                               &dm::ProgressData::getDownloadProgressData);
}

DataModelHandler::InstallProgressData DataModelHandler::getInstallProgressData() const {
    return currentRecord<InstallProgressData>(model, dependentData(),
                                              &dm::ProgressData::getInstallProgressData);
}

DataModelHandler::UninstallProgressData DataModelHandler::getUninstallProgressData() const {
    return currentRecord<UninstallProgressData>(model, dependentData(),
                                                &dm::ProgressData::getUninstallProgressData);
}

DataModelHandler::OverallProgressData DataModelHandler::getOverallProgressData() const {
    return currentRecord<OverallProgressData>(model, dependentData(),
                                              &dm::ProgressData::getOverallProgressData);
}

namespace {

// Truncating unsigned arithmetic, capped at 100. Without a divisor there is no ratio to
// publish, so the caller keeps the previous overall record.
std::optional<std::uint64_t> overallPercentage(std::uint64_t bytesSoFar, std::uint64_t expectedBytes) {
    if (expectedBytes == 0) return std::nullopt;
    const std::uint64_t percentage = bytesSoFar * 100 / expectedBytes;
    return percentage > 100 ? 100 : percentage;
}

}  // namespace

void DataModelHandler::updateOverallProgress() const {
    const std::lock_guard lock(progressMutex);
    const tq::zero::Transaction transaction(model);
    const auto download = getDownloadProgressData();
    const auto install = getInstallProgressData();
    const auto percentage = overallPercentage(
        download.getBytesDownloadedSoFar() + install.getBytesInstalledSoFar(),
        download.getExpectedBytesToBeDownloaded() + install.getExpectedBytesToBeInstalled());
    if (!percentage) return;
    const auto record = OverallProgressData::create(model, tq::zero::nilUuid());
    record.setPercentage(*percentage);
    dependentData().getProgressData().setOverallProgressData(record);
    transaction.commit();
}

void DataModelHandler::updateOverallUninstallProgress() const {
    const std::lock_guard lock(progressMutex);
    const tq::zero::Transaction transaction(model);
    const auto uninstall = getUninstallProgressData();
    const auto percentage =
        overallPercentage(uninstall.getBytesUninstalledSoFar(), uninstall.getExpectedBytesToBeUninstalled());
    if (!percentage) return;
    const auto record = OverallProgressData::create(model, tq::zero::nilUuid());
    record.setPercentage(*percentage);
    dependentData().getProgressData().setOverallProgressData(record);
    transaction.commit();
}

// --- confirmation summary ---

void DataModelHandler::initializeConfirmationModel() const {
    dependentData().setConfirmationData(dm::Confirmation::create(model, tq::zero::nilUuid()));
}

DataModelHandler::ConfirmationItem DataModelHandler::createConfirmationItem() const {
    return ConfirmationItem::create(model, tq::zero::nilUuid());
}

void DataModelHandler::setConfirmationItems(const std::vector<ConfirmationItem>& items) const {
    detail::replaceElements(dependentData().getConfirmationData().getConfirmationItemToDisplayList(), items);
}

void DataModelHandler::resetConfirmationItems() const {
    initializeConfirmationModel();
    setIsDataModified(true);
}

}  // namespace install::product_installer::workflow_utils
