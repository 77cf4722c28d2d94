#pragma once

#include <cstddef>

#include "tq/zero/Element.h"

namespace tq::zero::detail {

// For tests and diagnostics, about the model of the given element. Each throws
// std::logic_error for a null handle or a model that is gone.

// How many elements of the model are alive, attached or not.
std::size_t liveNodeCount(const Element& anyElementOfTheModel);
// How many threads are waiting to write a property another thread's transaction holds.
std::size_t waitingWriters(const Element& anyElementOfTheModel);

}  // namespace tq::zero::detail
