#include "tq_zero/ThreadEndRollback.h"

#include <algorithm>

#include "tq_zero/ModelState.h"

namespace tq::zero::detail {

void ThreadEndRollback::watch(const std::shared_ptr<ModelState>& model) {
    thread_local ThreadEndRollback ofThisThread;
    auto& models = ofThisThread.models_;
    std::erase_if(models, [](const std::weak_ptr<ModelState>& m) { return m.expired(); });
    const bool known = std::any_of(models.begin(), models.end(), [&](const std::weak_ptr<ModelState>& m) {
        return !m.owner_before(model) && !model.owner_before(m);
    });
    if (!known) models.push_back(model);
}

ThreadEndRollback::~ThreadEndRollback() {
    for (const auto& watched : models_) {
        if (const auto model = watched.lock()) model->abandonTransactionsOfThisThread();
    }
}

}  // namespace tq::zero::detail
