#include "tq_zero/LiveNodeCount.h"

#include <stdexcept>

#include "tq_zero/ModelState.h"

namespace tq::zero::detail {

std::size_t liveNodeCount(const Element& anyElementOfTheModel) {
    const Value handle = ValueTraits<Element>::toValue(anyElementOfTheModel);
    const NodePtr& node = std::get<NodePtr>(handle);
    if (!node) throw std::logic_error("counting the elements of a model needs an element of it");
    const auto model = node->model();
    if (!model) throw std::logic_error("the element's model no longer exists");
    return model->liveNodes();
}

}  // namespace tq::zero::detail
