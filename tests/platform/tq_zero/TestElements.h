#pragma once

#include <cstdint>
#include <string>

#include "tq/zero/ElementMacros.h"

namespace tq_zero_test {

enum class Mood : std::int32_t { Calm = 0, Busy = 1, Grumpy = 2 };

// clang-format off
TQ_ELEMENT("tq_zero_test", Part, ::tq::zero::Element,
           (PROPERTY, std::u16string, label, Label)
           (PROPERTY, std::uint64_t, weight, Weight))

TQ_ELEMENT("tq_zero_test", Gadget, ::tq::zero::Element,
           (PROPERTY, std::u16string, name, Name)
           (PROPERTY, std::int32_t, count, Count)
           (PROPERTY, bool, enabled, Enabled)
           (PROPERTY, std::int8_t, level, Level)
           (PROPERTY, Mood, mood, Mood)
           (CHILD, Part, part, Part)
           (STRINGS, UNIQUE, tags, Tags)
           (STRINGS, ANY, notes, Notes)
           (STRING_SET, ANY, labels, Labels)
           (ELEMENTS, Part, parts, Parts))

TQ_ELEMENT("tq_zero_test", FancyGadget, Gadget,
           (PROPERTY, std::u16string, flourish, Flourish))

// Holds elements of any class, so it can be asked to hold itself.
TQ_ELEMENT("tq_zero_test", Branch, ::tq::zero::Element,
           (ELEMENTS, ::tq::zero::Element, branches, Branches))
// clang-format on

// One modification of a collection, committed: `edits` receives the modification.
template <class Collection, class Edits>
void modifyAndCommit(const Collection& collection, Edits edits) {
    auto modification = collection.modify();
    edits(modification);
    modification.commit();
}

}  // namespace tq_zero_test
