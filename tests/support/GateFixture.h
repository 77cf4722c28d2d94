#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "fl/i18n/TextConversion.h"
#include "support/ModelFixture.h"

namespace workflow_test {

// One diagnostics error record as the service receives it.
struct ErrorRecord {
    std::string code;
    std::string message;
    std::string details;
    std::string location;
    bool operator==(const ErrorRecord&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const ErrorRecord& record) {
        return out << '{' << record.code << ", " << record.message << ", " << record.details << ", "
                   << record.location << '}';
    }
};

// The validation status a gate leaves in the model, with its result type.
struct ShownStatus {
    install::datamodels::common::Result result;
    int resultType;
    std::u16string message;
    std::u16string title;
    bool operator==(const ShownStatus&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const ShownStatus& status) {
        return out << '{' << static_cast<int>(status.result) << ", type " << status.resultType << ", \""
                   << fl::i18n::to_string(status.message) << "\", \"" << fl::i18n::to_string(status.title)
                   << "\"}";
    }
};

// A ready handler of release "2031.1" with what a gate leaves behind made readable: the
// validation status and the diagnostics error records written during the test. A recognisable earlier status
// is in place, so a test can tell whether a gate replaced it.
class GateFixture : public ModelFixture {
protected:
    using Result = install::datamodels::common::Result;

    GateFixture() {
        independent().getRelease().setFamily(u"2031.1");
        handler->setCurrentValidationWarning(install::datamodels::product_installer::validationResultType(99),
                                             u"earlier message", u"earlier title");
    }

    static ShownStatus earlierStatus() { return {Result::Warning, 99, u"earlier message", u"earlier title"}; }

    ShownStatus status() const {
        const auto current = applicationData().getValidationStatus();
        return {current.getResult(), static_cast<int>(independent().getValidationResultType()),
                current.getMessage(), current.getTitle()};
    }
    std::vector<ErrorRecord> errorRecords() const {
        std::vector<ErrorRecord> found;
        for (const auto& record : diagnostics.records()) {
            if (record.value("record", "") != "error") continue;
            found.push_back({record.value("error.1", ""), record.value("error.2", ""),
                             record.value("error.3", ""), record.value("error.4", "")});
        }
        return found;
    }
    bool processed(const std::u16string& gateName) const {
        return applicationData().getDataProcessed() == gateName;
    }
    void select(const std::vector<std::u16string>& products) const {
        handler->initializeSelectedProducts({products.begin(), products.end()});
    }
    // The page is shown, the user interface answers, and the gate judges the answer.
    template <class Gate>
    void submit(Gate& gate) const {
        gate.setRequiredData();
        handler->setAsDataAvailable();
        gate.processData();
    }
};

}  // namespace workflow_test
