#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "host/InstallerModel.h"
#include "workflow_core/DataModelHandler.h"

namespace workflow_test {

// A data model laid out as the installer application lays it out before the first gate, and a
// handler over it. Tests read the model directly through the element accessors below, so
// what they check does not depend on the handler's own getters.
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

    velora::installer::InstallerModel installer;
    std::shared_ptr<DataModelHandler> handler;
};

}  // namespace workflow_test
