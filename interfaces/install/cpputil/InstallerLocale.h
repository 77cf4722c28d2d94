#pragma once

#include <string>

// The language the installer runs in, as a locale name such as "en_US". The host sets it from
// its command line or the system; web services and the message catalogue read it.
namespace install::cpputil::installer_locale {

// "en_US" until the host sets another one.
std::u16string getLocale();
void setLocale(const std::u16string& locale);

}  // namespace install::cpputil::installer_locale
