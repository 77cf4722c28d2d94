#include "tq/zero/Runtime.h"

#include <stdexcept>

#include "tq/zero/Element.h"
#include "tq/zero/Model.h"
#include "tq_zero/ModelState.h"

namespace tq::zero::detail {

namespace {

bool isCollection(PropertyKind kind) { return kind != PropertyKind::Scalar && kind != PropertyKind::Child; }

ModelState& modelOfNode(const Node& node) {
    ModelState& model = node.model();
    if (!model.hasHandles())
        throw std::logic_error("element of class " + node.meta().name() + " outlived its model");
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

NodePtr Runtime::createNode(const Model& model, const MetaClass& meta, const Uuid& id,
                            std::span<InitialValue> values) {
    const InternedMetaClass& interned = InternedMetaClass::from(meta);
    for (const InitialValue& initial : values) {
        interned.slotOf(initial.property);
        if (initial.property.kind() != PropertyKind::Scalar ||
            std::holds_alternative<NodePtr>(initial.value)) {
            throw std::invalid_argument("a new " + meta.name() +
                                        " takes values of scalar properties only, not of " +
                                        initial.property.name());
        }
    }
    NodePtr node = createNode(model, meta, id);
    // Nobody else holds the node yet, so its slots need no lock.
    for (InitialValue& initial : values)
        node->slot(interned.slotOf(initial.property)).value = std::move(initial.value);
    return node;
}

const MetaClass& Runtime::metaOf(const Node& node) { return node.meta(); }

const Uuid& Runtime::idOf(const Node& node) { return node.id(); }

Model Runtime::modelOf(const Node& node) { return Model(node.sharedModel()); }

Value Runtime::read(const Node& node, const PropertyInfo& property) {
    const std::size_t slot = slotFor(node, property, false);
    return modelOfNode(node).read(node, slot);
}

NodePtr Runtime::readChildPath(const Node& node, std::span<const PropertyInfo* const> path) {
    for (const PropertyInfo* property : path) {
        if (property->kind() != PropertyKind::Child)
            throw std::invalid_argument(property->owner().name() + "." + property->name() +
                                        " is not a child");
    }
    return modelOfNode(node).readChildPath(node, path);
}

void Runtime::write(const NodePtr& node, const PropertyInfo& property, Value value) {
    const std::size_t slot = slotFor(requireNode(node), property, false);
    Value checked = checkedValue(*node, property, std::move(value));
    modelOfNode(*node).write(node, property, slot, std::move(checked));
}

std::vector<Value> Runtime::readCollection(const Node& node, const PropertyInfo& property) {
    const std::size_t slot = slotFor(node, property, true);
    return modelOfNode(node).readItems(node, slot);
}

std::size_t Runtime::collectionSize(const Node& node, const PropertyInfo& property) {
    const std::size_t slot = slotFor(node, property, true);
    return modelOfNode(node).itemCount(node, slot);
}

bool Runtime::collectionContains(const Node& node, const PropertyInfo& property, const Value& item) {
    const std::size_t slot = slotFor(node, property, true);
    return modelOfNode(node).holdsItem(node, property, slot, item);
}

void Runtime::modifyCollection(const NodePtr& node, const PropertyInfo& property,
                               const std::vector<CollectionEdit>& edits) {
    const std::size_t slot = slotFor(requireNode(node), property, true);
    modelOfNode(*node).modify(node, property, slot, edits);
}

}  // namespace tq::zero::detail
