#pragma once

#include <algorithm>
#include <boost/container/small_vector.hpp>
#include <span>
#include <utility>
#include <vector>

#include "tq/zero/Runtime.h"

namespace tq::zero {

namespace detail {

struct NodeChange {
    NodePtr node;
    std::vector<const PropertyInfo*> changedProperties;  // in order of first change
};
using ChangeSet = std::vector<NodeChange>;  // in order of each element's first change

}  // namespace detail

// What one commit changed on elements of class E and its subclasses, element by element. A report
// refers to the commit's own record of the changes: it is valid during the call it is handed to.
template <class E>
class ShallowChangeReport {
public:
    struct Entry {
        E element;
        std::span<const PropertyInfo* const> changedProperties;

        bool isChanged(const PropertyInfo& property) const {
            return std::find(changedProperties.begin(), changedProperties.end(), &property) !=
                   changedProperties.end();
        }
    };
    using Entries = boost::container::small_vector<Entry, 4>;

    ShallowChangeReport() = default;
    explicit ShallowChangeReport(const detail::ChangeSet& changes) {
        for (const auto& change : changes) {
            if (detail::Runtime::metaOf(*change.node).isA(E::meta())) {
                entries_.push_back(Entry{E::fromNode(change.node), change.changedProperties});
            }
        }
    }

    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    const Entries& entries() const { return entries_; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    Entries entries_;
};

}  // namespace tq::zero
