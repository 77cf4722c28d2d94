// The signed-in account's access token, handed over in the environment.
#include "host/AccessTokenFromEnvironment.h"

#include <cstdlib>
#include <string>

#include "fl/i18n/TextConversion.h"

namespace velora::installer {

namespace {

constexpr char kTokenVariable[] = "VELORA_ACCESS_TOKEN";

}  // namespace

bool takeAccessTokenFromEnvironment(
    const install::product_installer::workflow_utils::DataModelHandler& handler,
    const install::datamodels::product_installer::ProductInstaller& root) {
    const char* value = std::getenv(kTokenVariable);
    const std::string token = value == nullptr ? std::string() : std::string(value);
    ::unsetenv(kTokenVariable);
    if (token.empty()) return false;
    handler.initializeLoginModelForResponseParameters();
    root.getWorkflowIndependentData().getUserInfo().setAccessToken(fl::i18n::to_u16string(token));
    return true;
}

}  // namespace velora::installer
