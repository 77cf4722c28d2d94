#pragma once

namespace install::tlmxclient {

// How the usage-data checkbox is to be offered: whether it is shown at all, whether the user may
// change it, and whether it starts ticked. A default response answers no to all three.
class TLMXSettingsClientResponse {
public:
    constexpr TLMXSettingsClientResponse() = default;
    constexpr TLMXSettingsClientResponse(bool shown, bool selectable, bool checked)
        : shown_(shown), selectable_(selectable), checked_(checked) {}

    constexpr bool isTLMXCheckboxShown() const { return shown_; }
    constexpr bool isTLMXCheckboxSelectable() const { return selectable_; }
    constexpr bool isTLMXCheckboxChecked() const { return checked_; }

    bool operator==(const TLMXSettingsClientResponse&) const = default;

private:
    bool shown_ = false;
    bool selectable_ = false;
    bool checked_ = false;
};

}  // namespace install::tlmxclient
