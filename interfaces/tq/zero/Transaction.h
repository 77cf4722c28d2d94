#pragma once

#include <boost/optional.hpp>
#include <string>

#include "tq/zero/Model.h"

namespace tq::zero {

// One transaction of the calling thread for the span of a scope: begun on construction and
// ended on destruction, so whatever was not committed by then is rolled back, also when an
// exception leaves the scope. Transactions of one thread end in the reverse order of their
// beginning, which nested scopes give by themselves.
class Transaction {
public:
    explicit Transaction(const Model& model, bool readOnly = false);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // As Model::commit; the transaction stays open for further writes.
    CommitResult commit(const boost::optional<std::string>& value = boost::none) const;

private:
    Model model_;
};

}  // namespace tq::zero
