#pragma once

#include <cstddef>

#include "tq/zero/Element.h"

namespace tq::zero::detail {

// For tests and diagnostics: how many elements of the given element's model are alive,
// attached or not. Throws std::logic_error for a null handle or a model that is gone.
std::size_t liveNodeCount(const Element& anyElementOfTheModel);

}  // namespace tq::zero::detail
