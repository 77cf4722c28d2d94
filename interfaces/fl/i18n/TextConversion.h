#pragma once

#include <string>
#include <string_view>

namespace fl::i18n {

// Conversions between the UTF-16 texts of the data model and the UTF-8 texts of files, the
// diagnostics service and the engine. Neither ever throws on bad input: an unpaired surrogate or
// a malformed UTF-8 sequence becomes U+FFFD REPLACEMENT CHARACTER and the rest is kept.
std::string to_string(std::u16string_view text);
std::u16string to_u16string(std::string_view text);

}  // namespace fl::i18n
