#include "tq/zero/Runtime.h"

#include <stdexcept>

#include "tq/zero/Model.h"
#include "tq_zero/ModelState.h"

namespace tq::zero::detail {

namespace {

bool isCollection(PropertyKind kind) { return kind != PropertyKind::Scalar && kind != PropertyKind::Child; }

std::shared_ptr<ModelState> modelOfNode(const Node& node) {
    auto model = node.model();
    if (!model) throw std::logic_error("element of class " + node.meta().name() + " outlived its model");
    return model;
}

// The slot of `property` in `node`, after checking that it is used as what it is.
std::size_t slotFor(const Node& node, const PropertyInfo& property, bool asCollection) {
    const std::size_t slot = node.meta().slotOf(property);
    if (isCollection(property.kind()) != asCollection) {
        throw std::invalid_argument(node.describe(property) +
                                    (asCollection ? " is not a collection" : " is a collection"));
    }
    return slot;
}

const Node& requireNode(const NodePtr& node) {
    if (!node) throw std::logic_error("data model element is absent");
    return *node;
}

// Scalars take plain values, children take an element or nothing.
Value checkedValue(const Node& node, const PropertyInfo& property, Value value) {
    const bool isElement = std::holds_alternative<NodePtr>(value);
    if (property.kind() == PropertyKind::Child) {
        if (std::holds_alternative<std::monostate>(value)) return NodePtr{};
        if (!isElement)
            throw std::invalid_argument(node.describe(property) + " holds an element, not a value");
    } else if (isElement) {
        throw std::invalid_argument(node.describe(property) + " holds a value, not an element");
    }
    return value;
}

}  // namespace

NodePtr Runtime::createNode(const Model& model, const MetaClass& meta, const Uuid& id) {
    if (!model.state_)
        throw std::logic_error("cannot create a " + meta.name() + " in a model that no longer exists");
    return std::make_shared<Node>(model.state_, InternedMetaClass::from(meta), id);
}

const MetaClass& Runtime::metaOf(const Node& node) { return node.meta(); }

const Uuid& Runtime::idOf(const Node& node) { return node.id(); }

Model Runtime::modelOf(const Node& node) { return Model(node.model()); }

Value Runtime::read(const Node& node, const PropertyInfo& property) {
    const std::size_t slot = slotFor(node, property, false);
    return modelOfNode(node)->read(node, slot);
}

void Runtime::write(const NodePtr& node, const PropertyInfo& property, Value value) {
    const std::size_t slot = slotFor(requireNode(node), property, false);
    Value checked = checkedValue(*node, property, std::move(value));
    modelOfNode(*node)->write(node, property, slot, std::move(checked));
}

std::vector<Value> Runtime::readCollection(const Node& node, const PropertyInfo& property) {
    const std::size_t slot = slotFor(node, property, true);
    return modelOfNode(node)->readItems(node, slot);
}

std::size_t Runtime::collectionSize(const Node& node, const PropertyInfo& property) {
    const std::size_t slot = slotFor(node, property, true);
    return modelOfNode(node)->itemCount(node, slot);
}

bool Runtime::collectionContains(const Node& node, const PropertyInfo& property, const Value& item) {
    const std::size_t slot = slotFor(node, property, true);
    return modelOfNode(node)->holdsItem(node, property, slot, item);
}

void Runtime::modifyCollection(const NodePtr& node, const PropertyInfo& property,
                               const std::vector<CollectionEdit>& edits) {
    const std::size_t slot = slotFor(requireNode(node), property, true);
    modelOfNode(*node)->modify(node, property, slot, edits);
}

}  // namespace tq::zero::detail
