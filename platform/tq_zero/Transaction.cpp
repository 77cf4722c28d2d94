#include "tq/zero/Transaction.h"

namespace tq::zero {

Transaction::Transaction(const Model& model, bool readOnly) : model_(model) {
    model_.beginTransaction(readOnly);
}

Transaction::~Transaction() { model_.endTransaction(); }

CommitResult Transaction::commit(const boost::optional<std::string>& value) const {
    return model_.commit(value);
}

}  // namespace tq::zero
