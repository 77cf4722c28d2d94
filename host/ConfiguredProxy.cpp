// The proxy the address configuration names, read afresh for each component that asks.
#include "host/ConfiguredProxy.h"

#include <exception>

#include "foundation/urlmanager/UrlManager.h"

namespace velora::installer {

std::string configuredProxyAddress() {
    try {
        const auto urls = foundation::urlmanager::createUrlManager();
        if (urls->hasUrl(foundation::urlmanager::PROXY)) return urls->getUrl(foundation::urlmanager::PROXY);
    } catch (const std::exception&) {
        // No address configuration: the pages that need one report it themselves.
    }
    return {};
}

}  // namespace velora::installer
