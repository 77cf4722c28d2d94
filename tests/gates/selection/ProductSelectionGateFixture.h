#pragma once

// A product selection page over a real data model, with the outside components it meets
// replaced by small doubles the test configures: a repository of sized products, a catalogue,
// the products the engine finds in the folder, free space per folder and the volume question.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fl/i18n/Message.h"
#include "gates/selection/ProductSelectionGate.h"
#include "install/cpputil/Logger.h"
#include "install/engine/Engine.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/ModelFixture.h"
#include "support/ScratchFolder.h"

namespace product_selection_test {

using install::datamodels::common::Result;
using install::datamodels::product_installer::validationResultType;
using install::product_installer::workflow_utils::ProductSelectionGate;
using install::repository_adapter::ProductMap;
using ProductList = std::vector<std::u16string>;

// The catalogue of these tests. TEST needs the bug finder; CLIENT belongs to the server's family;
// LOOP_A and LOOP_B need each other; GHOST lies in the repository but the catalogue cannot name it.
inline constexpr char kCatalogue[] = R"({"products": [
    {"baseCode": "VELORA", "name": "Velora", "controlling": true},
    {"baseCode": "VPS", "name": "Velora Parallel Server", "controlling": true},
    {"baseCode": "FLOWMERE", "name": "Flowmere", "dependencies": ["VELORA"]},
    {"baseCode": "COMPILER", "name": "Velora Compiler", "dependencies": ["VELORA"]},
    {"baseCode": "BUGFINDER", "name": "Quarrix Bug Finder", "dependencies": ["VELORA"]},
    {"baseCode": "TEST", "name": "Quarrix Test", "dependencies": ["VELORA", "BUGFINDER"]},
    {"baseCode": "CLIENT", "name": "abacus client", "dependencies": ["VPS"]},
    {"baseCode": "LOOP_A", "name": "Loop A", "dependencies": ["LOOP_B"]},
    {"baseCode": "LOOP_B", "name": "Loop B", "dependencies": ["LOOP_A", "VELORA"]}
]})";

class SizedProduct : public install::product_api::Product {
public:
    SizedProduct(std::u16string baseCode, std::uint64_t download, std::uint64_t install)
        : baseCode_(std::move(baseCode)), download_(download), install_(install) {}
    std::u16string getBaseCode() const override { return baseCode_; }
    std::u16string getName() const override { return u"repository name of " + baseCode_; }
    std::uint64_t getDownloadSize() const override { return download_; }
    std::uint64_t getInstallSize() const override { return install_; }

private:
    std::u16string baseCode_;
    std::uint64_t download_;
    std::uint64_t install_;
};

// A repository that holds exactly the products it is given.
class FixedRepository : public install::repository_adapter::RepositoryAdapter {
public:
    explicit FixedRepository(ProductMap products) : products_(std::move(products)) {}
    void configure(const install::repository_adapter::config::RepoAdapterConfiguration&) override {}
    ProductMap getAvailableProducts() override { return products_; }
    std::u16string getProductArchivePath(const std::u16string&) override { return {}; }
    std::vector<std::u16string> getAvailableProductBasecodes() override {
        std::vector<std::u16string> codes;
        for (const auto& entry : products_) codes.push_back(entry.first);
        return codes;
    }
    bool doProductsExist() override { return !products_.empty(); }
    std::vector<std::string> getInstallerUrls(const std::vector<std::u16string>&) override { return {}; }
    std::vector<std::u16string> getAdditionalLanguages() override { return {}; }
    void setProxyCredentials(const std::string&, const std::string&) override {}

private:
    ProductMap products_;
};

class MockEngine : public install::engine::Engine {
public:
    MOCK_METHOD(void, update,
                (const std::u16string&, const std::vector<std::string>&, const std::string&,
                 const std::u16string&,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, download,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, start,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::string&, const std::u16string&, install::engine::WorkflowType,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::OptionalFeatureFlags&, const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(void, startForDownloadOnly,
                (const std::vector<std::u16string>&, const std::u16string&, const std::vector<std::string>&,
                 const std::vector<std::string>&, install::engine::WorkflowType,
                 const std::shared_ptr<install::repository_adapter::RepositoryAdapter>&,
                 const install::engine::EngineConfig&),
                (override));
    MOCK_METHOD(ProductMap, getInstalledProducts, (const std::u16string&, bool), (override));
    MOCK_METHOD(ProductMap, getInstalledProducts, (const std::u16string&), (override));
    MOCK_METHOD(ProductMap, getInstalledKestrelixProducts, (const std::u16string&), (override));
    MOCK_METHOD(void, startUninstall, (const std::u16string&, const std::vector<std::u16string>&),
                (override));
};

// Free bytes per folder; every question is remembered.
class RecordingDiskSpace : public install::engine::DiskSpaceValidator {
public:
    using Questions = std::vector<std::pair<std::u16string, std::uint64_t>>;
    RecordingDiskSpace(std::map<std::u16string, std::uint64_t> freeBytes,
                       std::shared_ptr<Questions> questions)
        : freeBytes_(std::move(freeBytes)), questions_(std::move(questions)) {}
    bool hasEnoughDiskSpaceToInstall(const std::u16string& folder,
                                     std::uint64_t requiredBytes) const override {
        questions_->emplace_back(folder, requiredBytes);
        const auto found = freeBytes_.find(folder);
        return found != freeBytes_.end() && found->second >= requiredBytes;
    }

private:
    std::map<std::u16string, std::uint64_t> freeBytes_;
    std::shared_ptr<Questions> questions_;
};

class FixedVolumes : public install::platformutil::VolumeDetector {
public:
    explicit FixedVolumes(bool same) : same_(same) {}
    bool isSameVolume(const std::u16string&, const std::u16string&) const override { return same_; }

private:
    bool same_;
};

// What the doubles answer; a test changes it before calling the gate.
struct Environment {
    std::shared_ptr<const install::productidentifier::ProductCatalogue> catalogue =
        std::make_shared<const install::productidentifier::ProductCatalogue>(
            install::productidentifier::ProductCatalogue::fromJson(kCatalogue));
    ProductList installedByEngine;
    bool engineRecordUnreadable = false;
    std::map<std::u16string, std::uint64_t> freeBytes;
    std::shared_ptr<RecordingDiskSpace::Questions> spaceQuestions =
        std::make_shared<RecordingDiskSpace::Questions>();
    bool sameVolume = true;
    std::u16string temporaryFolder;
    std::filesystem::path accountSettings;
};

class TestableProductSelectionGate : public ProductSelectionGate {
public:
    TestableProductSelectionGate(
        const std::u16string& name,
        const std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler>& handler,
        const Environment& environment)
        : ProductSelectionGate(name, handler), environment_(environment) {}

    using ProductSelectionGate::getProductsToDisplayList;
    using ProductSelectionGate::sortProductToDisplayList;

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(environment_.catalogue);
    }
    std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const override {
        return std::make_unique<install::product_validator::ProductValidator>(
            std::make_shared<const install::productidentifier::ProductIdentifier>(environment_.catalogue));
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override {
        auto engine = std::make_unique<testing::NiceMock<MockEngine>>();
        if (environment_.engineRecordUnreadable) {
            ON_CALL(*engine, getInstalledProducts(testing::_))
                .WillByDefault(testing::Throw(install::engine::EngineInvalidInstalledProductsException(
                    "2100", "unreadable installation record", "", "Engine::getInstalledProducts")));
        } else {
            ProductMap installed;
            for (const auto& code : environment_.installedByEngine) {
                installed[code] = std::make_shared<SizedProduct>(code, 0, 0);
            }
            ON_CALL(*engine, getInstalledProducts(testing::_)).WillByDefault(testing::Return(installed));
        }
        return engine;
    }
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        return std::make_unique<RecordingDiskSpace>(environment_.freeBytes, environment_.spaceQuestions);
    }
    std::unique_ptr<install::platformutil::VolumeDetector> getVolumeDetetorInstance() const override {
        return std::make_unique<FixedVolumes>(environment_.sameVolume);
    }
    std::u16string getTemporaryFolder() const override { return environment_.temporaryFolder; }
    std::unique_ptr<install::account_service::AccountServiceClient> getAccountServiceClientInstance()
        const override {
        return std::make_unique<install::account_service::AccountServiceClient>(environment_.accountSettings);
    }

private:
    const Environment& environment_;
};

inline constexpr char16_t kOnline[] = u"Interactive Online Install";
inline constexpr char16_t kFromFolder[] = u"Interactive Install From Folder";
inline constexpr std::uint64_t kPlenty = 1ULL << 50;

class ProductSelectionGateFixture : public workflow_test::ModelFixture {
protected:
    ProductSelectionGateFixture() {
        independent().getRelease().setFamily(u"R2031a");
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"en_US");
        applicationData().setWorkflowName(kFromFolder);
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(installFolder);
        environment.accountSettings = scratch.path() / "no-account-settings.json";
        environment.freeBytes = {{installFolder, kPlenty}};
        useRepository({u"VELORA", u"VPS", u"FLOWMERE", u"COMPILER", u"BUGFINDER", u"TEST", u"CLIENT",
                       u"LOOP_A", u"LOOP_B", u"GHOST"});
    }

    // Every product of the list in the repository, 100 bytes to fetch and 1000 to install.
    void useRepository(const ProductList& codes) {
        ProductMap products;
        for (const auto& code : codes) products[code] = std::make_shared<SizedProduct>(code, 100, 1000);
        useRepository(std::move(products));
    }
    void useRepository(ProductMap products) {
        handler->setProductRepoAdapterInstance(std::make_shared<FixedRepository>(std::move(products)));
    }
    // The state the page sees after its defaults: these products installable and offered.
    void offer(const ProductList& installable) const {
        handler->setOfferedProducts(installable);
        handler->setAvailableProducts(
            handler->getProductRepoAdapterInstance()->getAvailableProductBasecodes());
        handler->setInstallableProducts(installable);
        handler->initializeProductSelectionModel();
    }
    void select(const ProductList& products) const {
        handler->initializeSelectedProducts({products.begin(), products.end()});
    }
    // The page is shown and the user interface hands in its answer.
    void submit() {
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }
    void silent() const { independent().setIsSilent(true); }
    void workflow(const std::u16string& name) const { applicationData().setWorkflowName(name); }

    install::datamodels::common::ValidationStatus status() const {
        return applicationData().getValidationStatus();
    }
    bool processed() const { return applicationData().getDataProcessed() == gateName; }
    std::vector<std::string> codes() const {
        std::vector<std::string> found;
        for (const auto& record : diagnostics.records()) {
            if (record.contains("error.1")) found.push_back(record["error.1"]);
        }
        return found;
    }
    std::vector<std::u16string> displayNames() const {
        std::vector<std::u16string> names;
        for (const auto& item : dependent().getProductSelection().getProductToDisplayList().values()) {
            names.push_back(item.getProductName());
        }
        return names;
    }

    const std::u16string gateName = u"ProductSelectionGate";
    workflow_test::ScratchFolder scratch;
    const std::u16string installFolder = scratch.u16() + u"/install";
    Environment environment;
    TestableProductSelectionGate gate{gateName, handler, environment};
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

}  // namespace product_selection_test
