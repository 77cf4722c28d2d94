#include "workflow_core/DataModelHandler.h"

#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Logger.h"
#include "tq/zero/Transaction.h"
#include "workflow_core/detail/ModelEditing.h"

namespace install::product_installer::workflow_utils {

namespace {

const std::u16string kUnset = u"Unset";
const std::u16string kOnlineInstall = u"Interactive Online Install";
const std::u16string kInstallFromFolder = u"Interactive Install From Folder";
const std::u16string kDownloadOnly = u"DownloadOnly";
const std::u16string kVantapakInstall = u"Vantapak Install";
const std::u16string kLicenseManager = u"License Manager";

// What the model cannot hand to a writer (an observer that failed after a commit, which stands)
// goes to the installer log.
void logModelErrors(const tq::zero::Model& model) {
    model.setErrorSink([](const std::string& report) {
        install::cpputil::logger::append_message(fl::i18n::to_u16string(report));
    });
}

}  // namespace

using install::datamodels::common::Result;

DataModelHandler::DataModelHandler(const tq::zero::Model& model, ProductInstaller& root,
                                   std::thread&& archiveReader)
    : model(model), productInstaller(root), archiveReadingThread(std::move(archiveReader)) {
    logModelErrors(model);
}

// std::thread's constructor already throws std::system_error (resource unavailable, try
// again) when no thread can be started.
DataModelHandler::DataModelHandler(const tq::zero::Model& model, ProductInstaller& root)
    : model(model), productInstaller(root), archiveReadingThread([] {}) {
    logModelErrors(model);
}

DataModelHandler::~DataModelHandler() {
    if (archiveReadingThread.joinable()) archiveReadingThread.join();
}

DataModelHandler::WorkflowIndependentData DataModelHandler::independentData() const {
    return productInstaller.getWorkflowIndependentData();
}

DataModelHandler::WorkflowDependentData DataModelHandler::dependentData() const {
    return productInstaller.getWorkflowDependentData();
}

DataModelHandler::ApplicationData DataModelHandler::applicationData() const {
    return independentData().getApplicationData();
}

tq::zero::Model DataModelHandler::getModelInstance() const { return model; }

std::shared_ptr<DataModelHandler::RepositoryAdapter> DataModelHandler::getProductRepoAdapterInstance() const {
    return productRepoAdapter;
}

void DataModelHandler::setProductRepoAdapterInstance(const std::shared_ptr<RepositoryAdapter>& adapter) {
    productRepoAdapter = adapter;
}

DataModelHandler::AvailableProductMap DataModelHandler::getAvailableProductMap() const {
    return availableProductMap;
}

void DataModelHandler::setAvailableProductMap(const AvailableProductMap& products) {
    if (&products != &availableProductMap) availableProductMap = products;
}

bool DataModelHandler::getDoesLocalArchivesExist() const { return localArchivesExist; }

void DataModelHandler::setDoesLocalArchivesExist(bool value) {
    localArchivesExist = value;
    independentData().setDoesLocalArchivesExist(value);
}

bool DataModelHandler::IsFolderRepoInstance() const { return folderRepoInstance; }

void DataModelHandler::setIsFolderRepoInstance(bool value) { folderRepoInstance = value; }

void DataModelHandler::joinArchiveReadingThread() {
    // Joining from the archive thread itself throws std::system_error, as std::thread does.
    if (archiveReadingThread.joinable()) archiveReadingThread.join();

    const auto adapter = getProductRepoAdapterInstance();
    if (!adapter || !adapter->doProductsExist()) {
        setDoesLocalArchivesExist(false);
        return;
    }
    setDoesLocalArchivesExist(true);
    const ProductList products = adapter->getAvailableProductBasecodes();
    setAvailableProducts(products);

    if (!getIsQRTInstallation()) return;
    setInstallableProducts(products);
    if (!getSelectedProducts().empty()) return;

    const auto selected = dependentData().getProductSelection().getSelectedProducts();
    auto modification = selected.modify();
    for (const auto& product : products) {
        if (!selected.contains(product)) modification.insert(product);
    }
    modification.commit();
}

// --- the data flow of one gate step ---

void DataModelHandler::setDataRequired(const std::u16string& name) const {
    applicationData().setDataRequired(name);
}

std::u16string DataModelHandler::getDataRequired() const { return applicationData().getDataRequired(); }

void DataModelHandler::setAsDataAvailable() const {
    const auto data = applicationData();
    data.setDataAvailable(data.getDataRequired());
}

void DataModelHandler::setDataAvailableToUnset() const {
    const tq::zero::Transaction transaction(model);
    applicationData().setDataAvailable(kUnset);
    transaction.commit();
}

void DataModelHandler::setAsDataProcessed() const {
    const auto data = applicationData();
    data.setDataProcessed(data.getDataAvailable());
    data.setDataAvailable(kUnset);
}

void DataModelHandler::setDataProcessed(const std::u16string& name) const {
    applicationData().setDataProcessed(name);
}

void DataModelHandler::setIsDataModified(bool value) const { applicationData().setIsDataModified(value); }

// --- validation results ---

void DataModelHandler::initializeValidationStatus() const {
    applicationData().setValidationStatus(ValidationStatus::create(model, tq::zero::nilUuid()));
}

void DataModelHandler::setAsValid() const {
    applicationData().getValidationStatus().setResult(Result::Valid);
}

void DataModelHandler::setValidationStatus(Result result, const ValidationResultType& type,
                                           const std::u16string& message, const std::u16string& title) const {
    independentData().setValidationResultType(type);
    const auto status = ValidationStatus::create(model, tq::zero::nilUuid());
    status.setResult(result);
    status.setTitle(title);
    status.setMessage(message);
    applicationData().setValidationStatus(status);
}

void DataModelHandler::setCurrentValidationFailure(const ValidationResultType& type,
                                                   const std::u16string& message,
                                                   const std::u16string& title) const {
    setValidationStatus(Result::Failure, type, message, title);
}

void DataModelHandler::setCurrentValidationWarning(const ValidationResultType& type,
                                                   const std::u16string& message,
                                                   const std::u16string& title) const {
    setValidationStatus(Result::Warning, type, message, title);
}

void DataModelHandler::setExitStatus(const int& status) const {
    independentData().setExitStatus(detail::toSignedByte(status));
}

int DataModelHandler::getExitStatus() const { return independentData().getExitStatus(); }

// --- workflow names ---

std::u16string DataModelHandler::getWorkflow() const { return applicationData().getWorkflowName(); }

void DataModelHandler::setWorkflow(const std::u16string& workflowName) const {
    applicationData().setWorkflowName(workflowName);
}

std::u16string DataModelHandler::getInitialWorkflow() const { return independentData().getInitialWorkflow(); }

void DataModelHandler::setInitialWorkflow(std::u16string workflowName) const {
    independentData().setInitialWorkflow(workflowName);
}

bool DataModelHandler::isSilentWorkflow() const { return independentData().getIsSilent(); }

bool DataModelHandler::isOnlineInstallWorkflow() const { return getWorkflow() == kOnlineInstall; }

bool DataModelHandler::isInteractiveInstallFromFolderWorkflow() const {
    return getWorkflow() == kInstallFromFolder;
}

bool DataModelHandler::isDownloadOnlyWorkflow() const { return getWorkflow() == kDownloadOnly; }

bool DataModelHandler::isVantapakWorkflow() const { return getWorkflow() == kVantapakInstall; }

bool DataModelHandler::isLicenseManagerWorkflow() const { return getWorkflow() == kLicenseManager; }

}  // namespace install::product_installer::workflow_utils
