#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/InstallerModel.h"
#include "install/cpputil/Logger.h"
#include "install/tlmx/DiagnosticsSink.h"
#include "support/ValueText.h"
#include "workflow_core/DataModelHandler.h"

namespace workflow_test {

// A data model laid out as the installer application lays it out before the first gate, a
// handler over it, and what the test writes to the installer log and the diagnostics records.
// Tests read the model directly through the element accessors below, so what they check does
// not depend on the handler's own getters; ValueText's helpers come with the fixture.
//
// Link the test with `installer_host` as well as `workflow_test_support`.
class ModelFixture : public ::testing::Test {
protected:
    using DataModelHandler = install::product_installer::workflow_utils::DataModelHandler;

    ModelFixture()
        : installer(velora::installer::createInstallerModel()),
          handler(std::make_shared<DataModelHandler>(installer.model, installer.root)) {}

    const tq::zero::Model& model() const { return installer.model; }
    install::datamodels::product_installer::WorkflowIndependentData independent() const {
        return installer.root.getWorkflowIndependentData();
    }
    install::datamodels::product_installer::WorkflowDependentData dependent() const {
        return installer.root.getWorkflowDependentData();
    }
    install::datamodels::common::ApplicationData applicationData() const {
        return independent().getApplicationData();
    }
    // The diagnostics records as "code|message|details|location", in the order they were written.
    std::vector<std::string> recordTexts() const {
        std::vector<std::string> texts;
        for (const auto& r : diagnostics.records()) {
            texts.push_back(joined(r.value("error.1", ""), r.value("error.2", ""), r.value("error.3", ""),
                                   r.value("error.4", "")));
        }
        return texts;
    }

    velora::installer::InstallerModel installer;
    std::shared_ptr<DataModelHandler> handler;
    install::cpputil::logger::ScopedCapture log;
    install::tlmx::sink::ScopedCapture diagnostics;
};

}  // namespace workflow_test
