// Progress records, written from engine threads, and the confirmation summary. Each setter
// commits a transaction of its own; a rejected commit is neither reported nor retried. A record
// is created whole and then stored in place of the previous one, so a reader never sees one half
// written, and the commit reports the one change of the progress element.
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "tq/zero/Transaction.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/detail/ModelEditing.h"

namespace install::product_installer::workflow_utils {

namespace dm = install::datamodels::product_installer;

namespace {

const tq::zero::PropertyInfo& dependentDataLink() {
    return dm::ProductInstaller::workflowDependentDataProperty();
}
const tq::zero::PropertyInfo& progressDataLink() { return dm::WorkflowDependentData::progressDataProperty(); }

// Counts are stored as the model's unsigned 64-bit type, whatever the caller's spelling of it.
tq::zero::detail::Value count(unsigned long long value) { return static_cast<std::uint64_t>(value); }

// The progress element, reached in one read: reports come often, from engine threads.
dm::ProgressData progressOf(const dm::ProductInstaller& root) {
    return root.childAt<dm::ProgressData>({&dependentDataLink(), &progressDataLink()},
                                          "WorkflowDependentData.progressData");
}

// A record that does not exist reads as a fresh one with default values; it is not stored.
template <class Record>
Record currentRecord(const tq::zero::Model& model, const dm::ProductInstaller& root,
                     const tq::zero::PropertyInfo& recordLink) {
    const auto record = root.childAt<Record>({&dependentDataLink(), &progressDataLink(), &recordLink}, "");
    if (record) return record;
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
    using R = DownloadProgressData;
    std::array<tq::zero::InitialValue, 6> values{
        {{R::componentNameProperty(), componentName},
         {R::bytesDownloadedSoFarProperty(), count(bytesSoFar)},
         {R::expectedBytesToBeDownloadedProperty(), count(expectedBytes)},
         {R::percentageProperty(), count(percentage)},
         {R::downloadMessageProperty(), std::move(message)},
         {R::downloadTitleProperty(), std::move(title)}}};
    const auto record = R::createWith(model, tq::zero::nilUuid(), values);
    progressOf(productInstaller).setDownloadProgressData(record);
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
    using R = InstallProgressData;
    std::array<tq::zero::InitialValue, 8> values{
        {{R::componentNameProperty(), componentName},
         {R::numberOfComponentsInstalledSoFarProperty(), count(componentsSoFar)},
         {R::bytesInstalledSoFarProperty(), count(bytesSoFar)},
         {R::expectedNumberOfComponentsToBeInstalledProperty(), count(expectedComponents)},
         {R::expectedBytesToBeInstalledProperty(), count(expectedBytes)},
         {R::percentageProperty(), count(percentage)},
         {R::installMessageProperty(), std::move(message)},
         {R::installTitleProperty(), std::move(title)}}};
    const auto record = R::createWith(model, tq::zero::nilUuid(), values);
    progressOf(productInstaller).setInstallProgressData(record);
    transaction.commit();
}

void DataModelHandler::setUninstallProgressData(const std::u16string& componentName,
                                                unsigned long long bytesSoFar,
                                                unsigned long long expectedBytes,
                                                unsigned long long percentage, std::u16string message,
                                                std::u16string title) const {
    const std::lock_guard lock(progressMutex);
    const tq::zero::Transaction transaction(model);
    using R = UninstallProgressData;
    std::array<tq::zero::InitialValue, 6> values{
        {{R::componentNameProperty(), componentName},
         {R::bytesUninstalledSoFarProperty(), count(bytesSoFar)},
         {R::expectedBytesToBeUninstalledProperty(), count(expectedBytes)},
         {R::percentageProperty(), count(percentage)},
         {R::uninstallMessageProperty(), std::move(message)},
         {R::uninstallTitleProperty(), std::move(title)}}};
    const auto record = R::createWith(model, tq::zero::nilUuid(), values);
    progressOf(productInstaller).setUninstallProgressData(record);
    transaction.commit();
}

DataModelHandler::DownloadProgressData DataModelHandler::getDownloadProgressData() const {
    return currentRecord<DownloadProgressData>(model, productInstaller,
                                               dm::ProgressData::downloadProgressDataProperty());
}

DataModelHandler::InstallProgressData DataModelHandler::getInstallProgressData() const {
    return currentRecord<InstallProgressData>(model, productInstaller,
                                              dm::ProgressData::installProgressDataProperty());
}

DataModelHandler::UninstallProgressData DataModelHandler::getUninstallProgressData() const {
    return currentRecord<UninstallProgressData>(model, productInstaller,
                                                dm::ProgressData::uninstallProgressDataProperty());
}

DataModelHandler::OverallProgressData DataModelHandler::getOverallProgressData() const {
    return currentRecord<OverallProgressData>(model, productInstaller,
                                              dm::ProgressData::overallProgressDataProperty());
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
    std::array<tq::zero::InitialValue, 1> values{
        {{OverallProgressData::percentageProperty(), count(*percentage)}}};
    const auto record = OverallProgressData::createWith(model, tq::zero::nilUuid(), values);
    progressOf(productInstaller).setOverallProgressData(record);
    transaction.commit();
}

void DataModelHandler::updateOverallUninstallProgress() const {
    const std::lock_guard lock(progressMutex);
    const tq::zero::Transaction transaction(model);
    const auto uninstall = getUninstallProgressData();
    const auto percentage =
        overallPercentage(uninstall.getBytesUninstalledSoFar(), uninstall.getExpectedBytesToBeUninstalled());
    if (!percentage) return;
    std::array<tq::zero::InitialValue, 1> values{
        {{OverallProgressData::percentageProperty(), count(*percentage)}}};
    const auto record = OverallProgressData::createWith(model, tq::zero::nilUuid(), values);
    progressOf(productInstaller).setOverallProgressData(record);
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
