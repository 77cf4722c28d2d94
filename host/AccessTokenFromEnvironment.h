#pragma once

#include "install/datamodels/DataModel.h"
#include "workflow_core/DataModelHandler.h"

namespace velora::installer {

// An account the run is already signed in with: whoever starts the installer may hand over the
// account's access token in the environment variable VELORA_ACCESS_TOKEN (never on the command
// line, which every user of the machine can read). The token goes into the login model's
// signed-in user, so the sign-in page is skipped and the repository is asked with it; the
// variable leaves the environment, so no program the installer starts inherits it. Returns
// whether a token was taken.
bool takeAccessTokenFromEnvironment(
    const install::product_installer::workflow_utils::DataModelHandler& handler,
    const install::datamodels::product_installer::ProductInstaller& root);

}  // namespace velora::installer
