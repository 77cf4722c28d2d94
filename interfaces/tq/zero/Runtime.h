#pragma once

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "tq/zero/MetaClass.h"

namespace tq::zero {

class Model;
struct InitialValue;
using Uuid = boost::uuids::uuid;

namespace detail {

class Node;
class ModelState;
using NodePtr = std::shared_ptr<Node>;

// Everything a property or a collection slot can hold. Enumerations are stored as int32.
using Value =
    std::variant<std::monostate, bool, std::int8_t, std::int32_t, std::uint64_t, std::u16string, NodePtr>;

struct CollectionEdit {
    enum class Op { Append, Insert, Erase, EraseAt, Clear };
    // Built in place by the buffering modification (no moved-from temporary), which also spares
    // g++ 12 a false -Wmaybe-uninitialized on the variant in optimised builds.
    CollectionEdit(Op op, std::size_t index, Value value) : op(op), index(index), value(std::move(value)) {}
    Op op;
    std::size_t index = 0;
    Value value;
};

// The untyped core the typed element classes are generated over. Implemented by the
// model framework library; every call is thread-safe.
struct Runtime {
    static NodePtr createNode(const Model& model, const MetaClass& meta, const Uuid& id);
    // Moves the values into the new node's slots; throws std::invalid_argument for a property
    // that is no scalar of the class, before anything is created.
    static NodePtr createNode(const Model& model, const MetaClass& meta, const Uuid& id,
                              std::span<InitialValue> values);
    static const MetaClass& metaOf(const Node& node);
    static const Uuid& idOf(const Node& node);
    static Model modelOf(const Node& node);

    static Value read(const Node& node, const PropertyInfo& property);
    // Follows a chain of child properties from `node` in one step; null when a link is absent.
    static NodePtr readChildPath(const Node& node, std::span<const PropertyInfo* const> path);
    static void write(const NodePtr& node, const PropertyInfo& property, Value value);

    static std::vector<Value> readCollection(const Node& node, const PropertyInfo& property);
    static std::size_t collectionSize(const Node& node, const PropertyInfo& property);
    // Without copying the collection; a set is searched in logarithmic time.
    static bool collectionContains(const Node& node, const PropertyInfo& property, const Value& item);
    // Applies all edits at once as one committed change of the property.
    static void modifyCollection(const NodePtr& node, const PropertyInfo& property,
                                 const std::vector<CollectionEdit>& edits);
};

}  // namespace detail
}  // namespace tq::zero
