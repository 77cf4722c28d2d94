#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tq/zero/Collections.h"

namespace install::product_installer::workflow_utils::detail {

// Signed-byte properties keep the low 8 bits of an int and read back sign-extended.
inline std::int8_t toSignedByte(int value) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(static_cast<unsigned int>(value) & 0xFFu));
}

// Empties the sequence, then appends each value as a modification of its own, so that a
// sequence declared unique drops values it already holds.
inline void replaceSequence(const tq::zero::Sequence<std::u16string>& sequence,
                            const std::vector<std::u16string>& values) {
    auto clearing = sequence.modify();
    clearing.clear();
    clearing.commit();
    for (const auto& value : values) {
        auto appending = sequence.modify();
        appending.append(value);
        appending.commit();
    }
}

// Empties an element sequence and appends the given elements in order, as one modification.
// g++ 12 at -O2 and above warns, wrongly, that the string alternative of the collection edit's
// value may be used uninitialized when it inlines the move of an element edit here.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
template <class T>
void replaceElements(const tq::zero::Sequence<T>& sequence, const std::vector<T>& elements) {
    auto modification = sequence.modify();
    modification.clear();
    for (const auto& element : elements) modification.append(element);
    modification.commit();
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // namespace install::product_installer::workflow_utils::detail
