#pragma once

// Doubles of the outside components that the folder pages create per check. Each gate or utility
// creates a fresh component through its factory getter; the forwarding components hand every
// call to one mock that the test owns, so expectations can be set before the component exists.

#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <vector>

#include "install/engine/Engine.h"
#include "install/platformutil/DefaultDirectoryProvider.h"
#include "install/platformutil/DetectRunningProcess.h"
#include "install/productidentifier/ProductCatalogue.h"
#include "install/tlmx/TlmxUtil.h"
#include "install/validatefolder/DestinationContentValidator.h"
#include "install/validatefolder/FolderValidator.h"

namespace workflow_test {

class MockFolderValidator : public install::validatefolder::FolderValidator {
public:
    MOCK_METHOD(bool, checkWarnings, (const std::u16string&), (const, override));
    MOCK_METHOD(void, checkRequired, (const std::u16string&, bool), (const, override));
};

class ForwardingFolderValidator : public install::validatefolder::FolderValidator {
public:
    explicit ForwardingFolderValidator(std::shared_ptr<MockFolderValidator> target)
        : target(std::move(target)) {}
    bool checkWarnings(const std::u16string& folder) const override { return target->checkWarnings(folder); }
    void checkRequired(const std::u16string& folder, bool create) const override {
        target->checkRequired(folder, create);
    }

private:
    std::shared_ptr<MockFolderValidator> target;
};

class MockContentValidator : public install::validatefolder::DestinationContentValidator {
public:
    MockContentValidator() : DestinationContentValidator(u"") {}
    MOCK_METHOD(void, validate, (const std::u16string&, const std::u16string&), (const, override));
    // The folder each validator was created for, in order.
    std::vector<std::u16string> folders;
};

class ForwardingContentValidator : public install::validatefolder::DestinationContentValidator {
public:
    ForwardingContentValidator(std::u16string folder, std::shared_ptr<MockContentValidator> target)
        : DestinationContentValidator(folder), target(std::move(target)) {
        this->target->folders.push_back(std::move(folder));
    }
    void validate(const std::u16string& installed, const std::u16string& offered) const override {
        target->validate(installed, offered);
    }

private:
    std::shared_ptr<MockContentValidator> target;
};

class MockEngine : public install::engine::Engine {
public:
    using Repository = std::shared_ptr<install::repository_adapter::RepositoryAdapter>;
    using Texts = std::vector<std::u16string>;
    using Codes = std::vector<std::string>;
    MOCK_METHOD(void, update,
                (const std::u16string&, const Codes&, const std::string&, const std::u16string&,
                 const Repository&, const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, download,
                (const Texts&, const std::u16string&, const Codes&, const Repository&,
                 const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, start,
                (const Texts&, const std::u16string&, const Codes&, const std::string&, const std::u16string&,
                 install::engine::WorkflowType, const Repository&,
                 const install::engine::OptionalFeatureFlags&, const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, startForDownloadOnly,
                (const Texts&, const std::u16string&, const Codes&, const Codes&,
                 install::engine::WorkflowType, const Repository&, const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(install::engine::ProductMap, getInstalledProducts, (const std::u16string&, bool), (override));
    MOCK_METHOD(install::engine::ProductMap, getInstalledProducts, (const std::u16string&), (override));
    MOCK_METHOD(install::engine::ProductMap, getInstalledKestrelixProducts, (const std::u16string&),
                (override));
    MOCK_METHOD(void, startUninstall, (const std::u16string&, const Texts&), (override));
};

class ForwardingEngine : public install::engine::Engine {
public:
    using Repository = MockEngine::Repository;
    using Texts = MockEngine::Texts;
    using Codes = MockEngine::Codes;
    explicit ForwardingEngine(std::shared_ptr<MockEngine> target) : target(std::move(target)) {}
    void update(const std::u16string& folder, const Codes& platforms, const std::string& locale,
                const std::u16string& archives, const Repository& repository,
                const install::engine::EngineConfig& config) override {
        target->update(folder, platforms, locale, archives, repository, config);
    }
    void download(const Texts& products, const std::u16string& folder, const Codes& platforms,
                  const Repository& repository, const install::engine::EngineConfig& config) override {
        target->download(products, folder, platforms, repository, config);
    }
    void start(const Texts& products, const std::u16string& folder, const Codes& platforms,
               const std::string& locale, const std::u16string& archives, install::engine::WorkflowType type,
               const Repository& repository, const install::engine::OptionalFeatureFlags& flags,
               const install::engine::EngineConfig& config) override {
        target->start(products, folder, platforms, locale, archives, type, repository, flags, config);
    }
    void startForDownloadOnly(const Texts& products, const std::u16string& folder, const Codes& platforms,
                              const Codes& languages, install::engine::WorkflowType type,
                              const Repository& repository,
                              const install::engine::EngineConfig& config) override {
        target->startForDownloadOnly(products, folder, platforms, languages, type, repository, config);
    }
    install::engine::ProductMap getInstalledProducts(const std::u16string& folder,
                                                     bool ignoreInvalid) override {
        return target->getInstalledProducts(folder, ignoreInvalid);
    }
    install::engine::ProductMap getInstalledProducts(const std::u16string& folder) override {
        return target->getInstalledProducts(folder);
    }
    install::engine::ProductMap getInstalledKestrelixProducts(const std::u16string& folder) override {
        return target->getInstalledKestrelixProducts(folder);
    }
    void startUninstall(const std::u16string& folder, const Texts& products) override {
        target->startUninstall(folder, products);
    }

private:
    std::shared_ptr<MockEngine> target;
};

class MockRunningProcess : public install::platformutil::DetectRunningProcess {
public:
    MOCK_METHOD(bool, isProcessRunning, (const std::u16string&, const std::u16string&), (const, override));
};

class ForwardingRunningProcess : public install::platformutil::DetectRunningProcess {
public:
    explicit ForwardingRunningProcess(std::shared_ptr<MockRunningProcess> target)
        : target(std::move(target)) {}
    bool isProcessRunning(const std::u16string& name, const std::u16string& folder) const override {
        return target->isProcessRunning(name, folder);
    }

private:
    std::shared_ptr<MockRunningProcess> target;
};

class MockDirectoryProvider : public install::platformutil::DefaultDirectoryProvider {
public:
    using Platform = install::platformutil::Platform;
    MOCK_METHOD(std::u16string, getDefaultInstallationDirectory,
                (const std::filesystem::path&, const std::u16string&, Platform, bool, const std::u16string&,
                 const std::u16string&, const std::u16string&, const std::u16string&),
                (const, override));
    MOCK_METHOD(std::u16string, getPlatformInstallationDirectory, (Platform), (const, override));
};

class ForwardingDirectoryProvider : public install::platformutil::DefaultDirectoryProvider {
public:
    using Platform = install::platformutil::Platform;
    explicit ForwardingDirectoryProvider(std::shared_ptr<MockDirectoryProvider> target)
        : target(std::move(target)) {}
    std::u16string getDefaultInstallationDirectory(const std::filesystem::path& relativePath,
                                                   const std::u16string& releaseFamily, Platform platform,
                                                   bool ignorePrevious, const std::u16string& productFamily,
                                                   const std::u16string& subRoot,
                                                   const std::u16string& keyRoot,
                                                   const std::u16string& key) const override {
        return target->getDefaultInstallationDirectory(relativePath, releaseFamily, platform, ignorePrevious,
                                                       productFamily, subRoot, keyRoot, key);
    }
    std::u16string getPlatformInstallationDirectory(Platform platform) const override {
        return target->getPlatformInstallationDirectory(platform);
    }

private:
    std::shared_ptr<MockDirectoryProvider> target;
};

class MockTlmxUtil : public install::tlmx::TlmxUtil {
public:
    MOCK_METHOD(void, collectErrorInfo,
                (const std::string&, const std::string&, const std::string&, const std::string&),
                (const, override));
};

inline install::productdata::ProductRecord productRecord(std::u16string baseCode, std::u16string name,
                                                         std::u16string family, bool controlling) {
    install::productdata::ProductRecord record;
    record.baseCode = std::move(baseCode);
    record.name = std::move(name);
    record.productFamily = std::move(family);
    record.isControlling = controlling;
    return record;
}

// Products the folder pages reason about: two controlling families that may share a folder
// (the parallel server joins the product it serves), a product that depends on a controlling
// one, a runtime, another family, and the licence manager.
inline std::shared_ptr<const install::productidentifier::ProductCatalogue> folderTestCatalogue(
    const std::u16string& velorasWindowsExecutable = u"bin\\windows\\velora.exe") {
    using install::platformutil::Platform;
    auto velora = productRecord(u"VELORA", u"Velora", u"Velora", true);
    velora.relativeProductPath = {
        {Platform::Linux, "velora"}, {Platform::Windows, "Velora"}, {Platform::MacOS, "Velora"}};
    velora.detectRunningExe = {{u"w64pc", velorasWindowsExecutable}, {u"l64pc", u"bin/linux/velora"}};
    velora.registryKeyRoot = u"HKEY_LOCAL_MACHINE";
    velora.registryKey = u"SOFTWARE\\Kestrelix\\Velora";
    velora.registryKeySubRoot = u"InstallationFolder";
    velora.isRequiredForMacOSApp = true;
    auto flowmere = productRecord(u"FLOWMERE", u"Flowmere", u"Velora", false);
    flowmere.dependencies = {u"VELORA"};
    auto server =
        productRecord(u"VELORA_PARALLEL_SERVER", u"Velora Parallel Server", u"Velora Parallel Server", true);
    server.relativeProductPath = {{Platform::Linux, "velora_parallel_server"}};
    return std::make_shared<const install::productidentifier::ProductCatalogue>(
        std::vector<install::productdata::ProductRecord>{
            velora, flowmere, server,
            productRecord(u"VELORA_RUNTIME", u"Velora Runtime", u"Velora Runtime", true),
            productRecord(u"QUARRIX", u"Quarrix", u"Quarrix", true),
            productRecord(u"LICENSEMANAGER", u"License Manager", u"License Manager", false)});
}

}  // namespace workflow_test
