#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "install/datamodels/DataModel.h"

namespace velora::installer {

// What a front end follows of a run, distilled from the model's committed changes.
struct StepEvent {
    std::u16string required;
    std::u16string processed;
};
struct ValidationEvent {
    int result = 0;
    int type = 0;
    std::u16string title;
    std::u16string message;
};
// The user changed the workflow: the run goes on as `to`.
struct WorkflowEvent {
    std::u16string from;
    std::u16string to;
};
struct ProgressEvent {
    std::uint64_t overallPercent = 0;
    std::u16string component;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};

struct ModelEventSinks {
    std::function<void(const StepEvent&)> step;
    std::function<void(const ValidationEvent&)> validation;
    std::function<void(const ProgressEvent&)> progress;
    std::function<void(const WorkflowEvent&)> workflow;
};

// Observes every commit of the model and turns the changes a front end cares about into events.
// Progress events arrive on the engine's threads: sinks must be thread-safe. Subscribed before the
// workflow switch listener, it tells of a workflow change before the new workflow's first step.
class ModelEvents : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;

    ModelEvents(const tq::zero::Model& model, install::datamodels::product_installer::ProductInstaller root,
                ModelEventSinks sinks);
    ~ModelEvents() override;
    ModelEvents(const ModelEvents&) = delete;
    ModelEvents& operator=(const ModelEvents&) = delete;

    void transactionCommitted(const tq::zero::ShallowChangeReport<tq::zero::Element>& report);

private:
    void publishProgress() const;

    tq::zero::Model model_;
    install::datamodels::product_installer::ProductInstaller root_;
    ModelEventSinks sinks_;
    // The workflow as last reported; only the workflow thread changes the name.
    std::u16string workflow_;
};

}  // namespace velora::installer
