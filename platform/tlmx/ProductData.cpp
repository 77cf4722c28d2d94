#include "install/tlmx/ProductData.h"

#include "install/tlmx/DiagnosticsKeys.h"

namespace install::tlmx {

foundation::json::Value toJson(const ProductData& product) {
    return {
        {keyName(ProductDataKey::BaseCode), product.baseCode},
        {keyName(ProductDataKey::Name), product.name},
        {keyName(ProductDataKey::DownloadSize), product.downloadSize},
        {keyName(ProductDataKey::InstallSize), product.installSize},
        {keyName(ProductDataKey::Downloadable), product.downloadable},
    };
}

}  // namespace install::tlmx
