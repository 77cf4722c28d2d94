// Catalogue texts formatted with arguments from outside (paths, product names, the reasons of
// failures): the input picks a key and gives its arguments, separated by NUL bytes. A lookup
// never throws, and with as many arguments as the English text uses it always formats.
#include <vector>

#include "FuzzSupport.h"
#include "MessageCatalogue.h"
#include "fl/i18n/Message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto english =
        fl::i18n::MessageCatalogue::instance().entries(fl::i18n::kProductInstallerCatalogue, "en");
    velora::fuzz::check(!english->empty());
    auto key = english->begin();
    std::advance(key, data[0] % english->size());
    std::vector<std::string> arguments;
    for (std::string_view rest = velora::fuzz::text(data + 1, size - 1); !rest.empty();) {
        arguments.emplace_back(rest.substr(0, rest.find('\0')));
        rest.remove_prefix(std::min(rest.size(), arguments.back().size() + 1));
    }
    fl::i18n::placeholderCount(velora::fuzz::text(data, size));
    // Mostly the right count: a wrong one is refused before any formatting.
    const auto expected = fl::i18n::placeholderCount(key->second);
    velora::fuzz::check(expected.has_value());
    if ((data[0] & 0x80) == 0) arguments.resize(*expected);
    const std::u16string shown =
        fl::i18n::detail::lookup(fl::i18n::kProductInstallerCatalogue, key->first, arguments);
    if (arguments.size() == *expected)
        velora::fuzz::check(shown != fl::i18n::to_u16string("!!format:" + key->first + "!!"));
    return 0;
}
