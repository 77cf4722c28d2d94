#include "host/ProgressDisplay.h"

#include <algorithm>

#include "fl/i18n/TextConversion.h"
#include "install/platformutil/SizeFormatter.h"

namespace velora::installer {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

std::string ProgressDisplay::describe(const ProgressEvent& event) const {
    const std::uint64_t percent = std::min<std::uint64_t>(event.overallPercent, 100);
    std::string text = std::to_string(percent) + "%";
    if (event.bytesTotal > 0) {
        text += "  " + install::platformutil::SizeFormatter::format(event.bytesDone) + " / " +
                install::platformutil::SizeFormatter::format(event.bytesTotal);
    }
    if (!event.component.empty()) text += "  " + fl::i18n::to_string(event.component);
    return text;
}

void ProgressDisplay::update(const ProgressEvent& event) {
    const std::lock_guard lock(mutex_);
    if (terminal_) {
        const auto filled =
            static_cast<int>(std::min<std::uint64_t>(event.overallPercent, 100) * kBarWidth / 100);
        // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on the chain of
        // concatenations that would say the same.
        std::string line = "[";
        line.append(static_cast<std::size_t>(filled), '#');
        line.append(static_cast<std::size_t>(kBarWidth - filled), '-');
        line += "] ";
        line += describe(event);
        if (line == lastLine_) return;
        // Pad over the remains of a longer previous line.
        const std::size_t width = std::max(line.size(), lastLine_.size());
        lastLine_ = line;
        line.resize(width, ' ');
        out_ << '\r' << line << std::flush;
        barDrawn_ = true;
    } else if (event.overallPercent != lastPercent_) {
        lastPercent_ = event.overallPercent;
        out_ << "progress " << describe(event) << '\n' << std::flush;
    }
}

void ProgressDisplay::finish() {
    const std::lock_guard lock(mutex_);
    if (barDrawn_) out_ << '\n' << std::flush;
    barDrawn_ = false;
}

}  // namespace velora::installer
