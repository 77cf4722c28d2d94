#pragma once

#include <string>

namespace install::product_installer::workflow_utils {

// Replaces every occurrence of a secret (a proxy password, an access token) in a text that is
// about to reach the installer log or the diagnostics service. Outside components promise to
// keep secrets out of their error texts; this keeps the gates safe when one does not.
template <class Text>
Text withoutSecret(Text text, const Text& secret) {
    if (secret.empty()) {
        return text;
    }
    const Text mask(8, static_cast<typename Text::value_type>('*'));
    for (auto at = text.find(secret); at != Text::npos; at = text.find(secret, at + mask.size())) {
        text.replace(at, secret.size(), mask);
    }
    return text;
}

}  // namespace install::product_installer::workflow_utils
