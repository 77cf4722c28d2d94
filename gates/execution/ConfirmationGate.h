#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "install/engine/RequiredSizeCalculator.h"
#include "install/productidentifier/ProductIdentifier.h"
#include "install/workflow_manager/Gate.h"
#include "workflow_core/DataModelHandler.h"
#include "workflow_core/Export.h"

namespace install::product_installer::workflow_utils {

// The summary shown just before an installation or download starts: where things go, what is
// installed or fetched, for which platforms, and how much room it takes. Each line is one
// confirmation item of a type the user interface knows; a value of several parts joins them with
// the delimiter, which the user interface splits into lines. Titles go only to the log.
class WORKFLOW_UTILS_API ConfirmationGate : public install::workflow_manager::Gate {
public:
    using ConfirmationItem = DataModelHandler::ConfirmationItem;

    // Item types the user interface renders.
    static constexpr std::int32_t kDestinationItem = 0;
    static constexpr std::int32_t kRuntimeDestinationItem = 1;
    static constexpr std::int32_t kUserAppDestinationItem = 2;
    static constexpr std::int32_t kProductsItem = 3;
    static constexpr std::int32_t kRequiredSizeItem = 4;
    static constexpr std::int32_t kPlatformsItem = 6;

    ConfirmationGate(const std::u16string& name, const std::shared_ptr<DataModelHandler>& handler);
    ConfirmationGate(const ConfirmationGate&) = default;
    ConfirmationGate(ConfirmationGate&&) = default;
    ConfirmationGate& operator=(const ConfirmationGate&) = default;
    ConfirmationGate& operator=(ConfirmationGate&&) = default;
    ~ConfirmationGate() override;

    void processData() override;
    void setDefaultData() const override;
    void setRequiredData() const override;
    void clearInputData() const override;

protected:
    virtual void log_message(const std::u16string& text) const;
    virtual ConfirmationItem getPlatformsItem() const;
    virtual std::unique_ptr<install::productidentifier::ProductIdentifier> getProductIdentifier() const;
    // The unpacked size of the selected runtime products that the folder does not hold yet.
    virtual unsigned long long getRequiredInstallSize() const;
    virtual std::unique_ptr<install::engine::RequiredSizeCalculator> getRequiredSizeCalculatorInstance()
        const;
    virtual DataModelHandler::AvailableProductMap getProducts() const;
    virtual ConfirmationItem getRequiredSizeItem(unsigned long long bytes) const;

    std::vector<ConfirmationItem> getConfirmationItems() const;
    ConfirmationItem getDestinationItem() const;
    ConfirmationItem getRuntimeDestinationItem() const;
    ConfirmationItem getUserAppDestinationItem() const;
    ConfirmationItem getProductsItem() const;
    void logConfirmationTitle(const std::u16string& title) const;

private:
    ConfirmationItem makeItem(std::int32_t type, const std::u16string& value) const;
    // The runtime's destination when products join an existing runtime: the first part, the
    // folder, and the closing part, which differs between the plain and the packaged workflow.
    std::u16string joinedWithFolder(const std::u16string& before, const std::u16string& after) const;
    bool isRuntimeUpdate() const;

    std::u16string delimiter;
    std::u16string name;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace install::product_installer::workflow_utils
