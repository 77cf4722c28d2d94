#include "install/cpputil/InstallerLocale.h"

#include <mutex>

namespace install::cpputil::installer_locale {
namespace {

struct CurrentLocale {
    std::mutex mutex;
    std::u16string name = u"en_US";
};

CurrentLocale& current() {
    static CurrentLocale* const locale = new CurrentLocale();
    return *locale;
}

}  // namespace

std::u16string getLocale() {
    auto& locale = current();
    std::lock_guard lock(locale.mutex);
    return locale.name;
}

void setLocale(const std::u16string& name) {
    auto& locale = current();
    std::lock_guard lock(locale.mutex);
    locale.name = name;
}

}  // namespace install::cpputil::installer_locale
