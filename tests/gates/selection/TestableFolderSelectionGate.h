#pragma once

#include <gmock/gmock.h>

#include <memory>
#include <optional>
#include <string>

#include "FolderSelectionDoubles.h"
#include "gates/selection/FolderSelectionGate.h"

namespace workflow_test {

// The destination-folder gate with its outside components replaced through its factory getters.
// A component left empty is the real one of this machine, so a test replaces only what it needs.
// The product catalogue is always the test's own (the installer's catalogue is not beside a test).
class TestableFolderSelectionGate : public install::product_installer::workflow_utils::FolderSelectionGate {
public:
    using Base = install::product_installer::workflow_utils::FolderSelectionGate;
    using DataModelHandler = install::product_installer::workflow_utils::DataModelHandler;

    TestableFolderSelectionGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler)
        : Base(name, handler) {}

    std::shared_ptr<MockFolderValidator> folderValidator;
    std::shared_ptr<MockContentValidator> contentValidator;
    std::shared_ptr<MockEngine> engine;
    std::shared_ptr<MockRunningProcess> runningProcess;
    std::shared_ptr<MockDirectoryProvider> directoryProvider;
    std::shared_ptr<const install::productidentifier::ProductCatalogue> catalogue = folderTestCatalogue();
    std::optional<Platform> platform;

    // The gate's own operations, for tests that look at one of them alone.
    using Base::appendToInstallFolderForMacOs;
    using Base::checkAvailableProducts;
    using Base::createRepoAdapterInstanceForOnline;
    using Base::doProductsExists;
    using Base::getAvailableProducts;
    using Base::getDefaultDir;
    using Base::getDiagnosticsData;
    using Base::getFolderSelectionLocation;
    using Base::getInstalledAreaUpdateNo;
    using Base::getInstalledProductBasecodes;
    using Base::isFolderContentValid;
    using Base::isFolderValid;
    using Base::isProductExecutableRunning;
    using Base::isProductsAvailable;
    using Base::shouldCreateOnlineRepo;

protected:
    std::unique_ptr<install::validatefolder::FolderValidator> getFolderValidator() const override {
        if (!folderValidator) return Base::getFolderValidator();
        return std::make_unique<ForwardingFolderValidator>(folderValidator);
    }
    std::unique_ptr<install::validatefolder::DestinationContentValidator> getDestinationContentValidator(
        const std::u16string& folder) const override {
        if (!contentValidator) return Base::getDestinationContentValidator(folder);
        return std::make_unique<ForwardingContentValidator>(folder, contentValidator);
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override {
        if (!engine) return Base::getEngineInstance();
        return std::make_unique<ForwardingEngine>(engine);
    }
    std::unique_ptr<install::platformutil::DetectRunningProcess> getDetectRunningProcessStrategy()
        const override {
        if (!runningProcess) return Base::getDetectRunningProcessStrategy();
        return std::make_unique<ForwardingRunningProcess>(runningProcess);
    }
    std::unique_ptr<install::platformutil::DefaultDirectoryProvider> getDefaultDirectoryProvider()
        const override {
        if (!directoryProvider) return Base::getDefaultDirectoryProvider();
        return std::make_unique<ForwardingDirectoryProvider>(directoryProvider);
    }
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(catalogue);
    }
    Platform getCurrentPlatform() const override { return platform ? *platform : Base::getCurrentPlatform(); }
};

}  // namespace workflow_test
