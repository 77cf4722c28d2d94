#include "tq_zero/ModelDiagnostics.h"

#include <memory>
#include <stdexcept>

#include "tq_zero/ModelState.h"

namespace tq::zero::detail {

namespace {

std::shared_ptr<ModelState> modelOf(const Element& element) {
    const Value handle = ValueTraits<Element>::toValue(element);
    const NodePtr& node = std::get<NodePtr>(handle);
    if (!node) throw std::logic_error("a diagnostic of a model needs an element of it");
    auto model = node->sharedModel();
    if (!model->hasHandles()) throw std::logic_error("the element's model no longer exists");
    return model;
}

}  // namespace

std::size_t liveNodeCount(const Element& anyElementOfTheModel) {
    return modelOf(anyElementOfTheModel)->liveNodes();
}

std::size_t waitingWriters(const Element& anyElementOfTheModel) {
    return modelOf(anyElementOfTheModel)->waitingWriters();
}

}  // namespace tq::zero::detail
