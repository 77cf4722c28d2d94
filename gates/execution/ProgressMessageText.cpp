#include "gates/execution/ProgressMessageText.h"

#include "fl/i18n/Message.h"
#include "install/cpputil/LogMessages.h"
#include "install/platformutil/SizeFormatter.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr std::size_t kDoneSizeWidth = 12;

std::string rightAligned(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

}  // namespace

std::u16string progressSizesMessage(std::uint64_t doneBytes, std::uint64_t totalBytes) {
    using install::platformutil::SizeFormatter;
    return fl::i18n::message("progressMessage",
                             rightAligned(SizeFormatter::format(doneBytes), kDoneSizeWidth),
                             SizeFormatter::format(totalBytes));
}

}  // namespace install::product_installer::workflow_utils
