#pragma once

#include "install/datamodels/DataModel.h"

namespace velora::installer {

// The data model as the installer application sets it up before any gate runs: a root with
// both workflow data elements, the step protocol reset to "Unset", and the elements that
// come from outside the workflow library (session, packaged application).
struct InstallerModel {
    tq::zero::Model model;
    install::datamodels::product_installer::ProductInstaller root;
};

InstallerModel createInstallerModel();

// The models of a workflow's pages, created where missing, as the user interface does before it
// renders the first page of a workflow: a page may be asked whether to show at all before its
// defaults are set.
void createPageModels(const tq::zero::Model& model,
                      const install::datamodels::product_installer::ProductInstaller& root);

}  // namespace velora::installer
