#pragma once

// A product selection page over a real model, real product rules and the tests' catalogue, with
// the repository, the engine's view of the folder, the free space per folder, the volume question
// and the account settings the test's own.

#include <cstdint>
#include <map>
#include <utility>

#include "FolderProduct.h"
#include "SelectionTesting.h"
#include "gates/selection/ProductSelectionGate.h"

namespace selection_test {

using ProductList = std::vector<std::u16string>;
using SpaceQuestions = std::vector<std::pair<std::u16string, std::uint64_t>>;

// Free bytes per folder; every copy the gate is handed remembers its questions in one list.
struct Disks : install::engine::DiskSpaceValidator {
    bool hasEnoughDiskSpaceToInstall(const std::u16string& folder, std::uint64_t bytes) const override {
        questions->emplace_back(folder, bytes);
        return freeBytes.contains(folder) && freeBytes.at(folder) >= bytes;
    }
    std::map<std::u16string, std::uint64_t> freeBytes;
    std::shared_ptr<SpaceQuestions> questions = std::make_shared<SpaceQuestions>();
};

class FixedVolumes : public install::platformutil::VolumeDetector {
public:
    explicit FixedVolumes(bool same) : same_(same) {}
    bool isSameVolume(const std::u16string&, const std::u16string&) const override { return same_; }

private:
    bool same_;
};

class TestableProductSelectionGate : public install::product_installer::workflow_utils::ProductSelectionGate {
public:
    using ProductSelectionGate::getProductsToDisplayList;
    using ProductSelectionGate::ProductSelectionGate;
    using ProductSelectionGate::sortProductToDisplayList;

    MockSupply<workflow_test::MockEngine> engines;
    Disks disks;
    bool sameVolume = true;
    std::u16string temporaryFolder;
    std::filesystem::path accountSettings;

protected:
    std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const override {
        return std::make_unique<install::productidentifier::ProductIdentifier>(selectionCatalogue());
    }
    std::unique_ptr<install::product_validator::ProductValidator> getProductValidatorPtr() const override {
        return std::make_unique<install::product_validator::ProductValidator>(
            std::make_shared<const install::productidentifier::ProductIdentifier>(selectionCatalogue()));
    }
    std::unique_ptr<install::engine::Engine> getEngineInstance() const override { return engines.next(); }
    std::unique_ptr<install::engine::DiskSpaceValidator> getDiskSpaceValidatorInstance() const override {
        return std::make_unique<Disks>(disks);
    }
    std::unique_ptr<install::platformutil::VolumeDetector> getVolumeDetetorInstance() const override {
        return std::make_unique<FixedVolumes>(sameVolume);
    }
    std::u16string getTemporaryFolder() const override { return temporaryFolder; }
    std::unique_ptr<install::account_service::AccountServiceClient> getAccountServiceClientInstance()
        const override {
        return std::make_unique<install::account_service::AccountServiceClient>(accountSettings);
    }
};

inline constexpr char16_t kProductGateName[] = u"ProductSelectionGate";
inline constexpr char16_t kFromFolder[] = u"Interactive Install From Folder";
inline constexpr std::uint64_t kPlenty = 1ULL << 50;

class ProductSelectionGateFixture : public workflow_test::GateFixture {
protected:
    ProductSelectionGateFixture() {
        independent().setExecutionPlatform(u"l64pc");
        independent().setLocale(u"en_US");
        handler->setWorkflow(kFromFolder);
        handler->initializeInstallFolderModel();
        handler->setInstallFolder(installFolder);
        gate.accountSettings = scratch.path() / "no-account-settings.json";
        gate.disks.freeBytes = {{installFolder, kPlenty}};
        useRepository({u"BUGFINDER", u"CLIENT", u"COMPILER", u"FLOWMERE", u"GHOST", u"LOOP_A", u"LOOP_B",
                       u"TEST", u"VELORA", u"VELORA_PARALLEL_SERVER"});
    }

    // Every product of the list in the repository, 100 bytes to fetch and 1000 to install; none
    // when the list is empty.
    void useRepository(const ProductList& codes) const {
        if (codes.empty()) return handler->setProductRepoAdapterInstance(nullptr);
        install::repository_adapter::ProductMap products;
        for (const auto& code : codes) {
            products[code] =
                std::make_shared<install::repository_adapter::FolderProduct>(code, u"", "", 100, 1000);
        }
        auto repository = std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
        ON_CALL(*repository, getAvailableProducts).WillByDefault(testing::Return(products));
        ON_CALL(*repository, getAvailableProductBasecodes).WillByDefault(testing::Return(codes));
        handler->setProductRepoAdapterInstance(repository);
    }
    // The state the page sees after its defaults: these products installable and offered.
    void offer(const ProductList& installable) const {
        handler->setOfferedProducts(installable);
        handler->setAvailableProducts(
            handler->getProductRepoAdapterInstance()->getAvailableProductBasecodes());
        handler->setInstallableProducts(installable);
        handler->initializeProductSelectionModel();
    }
    // The names of the products to display, in order, joined with ", ".
    std::u16string displayNames() const {
        std::u16string names;
        for (const auto& item : dependent().getProductSelection().getProductToDisplayList().values())
            names += (names.empty() ? u"" : u", ") + item.getProductName();
        return names;
    }

    workflow_test::ScratchFolder scratch;
    const std::u16string installFolder = scratch.u16() + u"/install";
    TestableProductSelectionGate gate{kProductGateName, handler};
};

}  // namespace selection_test
