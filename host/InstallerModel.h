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

}  // namespace velora::installer
