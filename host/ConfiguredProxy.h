// The proxy the address configuration names for the run's web requests.
#pragma once

#include <string>

namespace velora::installer {

// The address under PROXY in the address configuration; empty when it names none or cannot be
// read, which leaves each request to the system's proxy settings.
std::string configuredProxyAddress();

}  // namespace velora::installer
