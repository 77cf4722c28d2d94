#include "tq/zero/Model.h"

#include <stdexcept>

#include "tq_zero/ModelState.h"

namespace tq::zero {

namespace {

detail::ModelState& stateOf(const std::shared_ptr<detail::ModelState>& state) {
    if (!state) throw std::logic_error("the model no longer exists");
    return *state;
}

}  // namespace

Model::Model() : state_(std::make_shared<detail::ModelState>()) { state_->handleCreated(); }

Model::Model(const std::shared_ptr<detail::ModelState>& state) {
    if (state && state->handleCopied()) state_ = state;
}

Model::Model(const Model& other) : state_(other.state_) {
    if (state_) state_->handleCreated();
}

Model::Model(Model&& other) noexcept : state_(std::move(other.state_)) {}

Model& Model::operator=(const Model& other) {
    if (this != &other) *this = Model(other);
    return *this;
}

Model& Model::operator=(Model&& other) noexcept {
    if (this != &other) {
        if (state_) state_->handleDropped();
        state_ = std::move(other.state_);
    }
    return *this;
}

Model::~Model() {
    if (state_) state_->handleDropped();
}

void Model::beginTransaction(bool readOnly) const { stateOf(state_).begin(readOnly); }

// Validators receive the change set only, so the label of the change has no reader here.
CommitResult Model::commit(const boost::optional<std::string>& /*value*/) const {
    return stateOf(state_).commit();
}

void Model::endTransaction() const { stateOf(state_).end(); }

bool Model::isInTransaction() const { return stateOf(state_).inTransaction(); }

bool Model::hasListener(const Listener& listener) const {
    return stateOf(state_).subscriptions().contains(listener);
}

void Model::removeListener(const Listener& listener) const {
    stateOf(state_).subscriptions().remove(listener);
}

void Model::setErrorSink(ErrorSink sink) const { stateOf(state_).setErrorSink(std::move(sink)); }

void Model::subscribe(detail::Subscription subscription) const {
    stateOf(state_).subscriptions().add(std::move(subscription));
}

}  // namespace tq::zero
