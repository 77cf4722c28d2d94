#pragma once

#include <string>

namespace install::enczip {

// A name no one can guess ahead: the prefix followed by 64 random bits in hexadecimal. Work in
// progress is created under such names exclusively, so nothing planted in advance is reused.
std::string temporaryName(const std::string& prefix);

}  // namespace install::enczip
