#include "host/ModelEvents.h"

namespace velora::installer {

namespace dm = install::datamodels;

ModelEvents::ModelEvents(const tq::zero::Model& model, dm::product_installer::ProductInstaller root,
                         ModelEventSinks sinks)
    : model_(model),
      root_(std::move(root)),
      sinks_(std::move(sinks)),
      workflow_(root_.getWorkflowIndependentData().getApplicationData().getWorkflowName()) {
    model_.addListener(*this);
}

ModelEvents::~ModelEvents() { model_.removeListener(*this); }

void ModelEvents::transactionCommitted(const tq::zero::ShallowChangeReport<tq::zero::Element>& report) {
    bool progressChanged = false;
    for (const auto& entry : report) {
        const auto& meta = entry.element.metaClass();
        if (meta.isA(dm::common::ApplicationData::meta())) {
            const auto application = entry.element.as<dm::common::ApplicationData>();
            if (entry.isChanged(dm::common::ApplicationData::workflowNameProperty())) {
                WorkflowEvent event{workflow_, application.getWorkflowName()};
                workflow_ = event.to;
                if (sinks_.workflow) sinks_.workflow(event);
            }
            if (sinks_.step && (entry.isChanged(dm::common::ApplicationData::dataRequiredProperty()) ||
                                entry.isChanged(dm::common::ApplicationData::dataProcessedProperty()))) {
                sinks_.step(StepEvent{application.getDataRequired(), application.getDataProcessed()});
            }
            if (sinks_.validation &&
                entry.isChanged(dm::common::ApplicationData::validationStatusProperty())) {
                const auto status = application.getValidationStatus();
                if (status && status.getResult() != dm::common::Result::Unknown) {
                    sinks_.validation(ValidationEvent{
                        static_cast<int>(status.getResult()),
                        static_cast<int>(root_.getWorkflowIndependentData().getValidationResultType()),
                        status.getTitle(), status.getMessage()});
                }
            }
        } else if (meta.isA(dm::product_installer::ProgressData::meta()) &&
                   entry.isChanged(dm::product_installer::ProgressData::overallProgressDataProperty())) {
            // The overall figure is worked out from the byte records once they are written: one
            // event per report, its percent from the bytes it shows.
            progressChanged = true;
        }
    }
    if (progressChanged && sinks_.progress) publishProgress();
}

void ModelEvents::publishProgress() const {
    const auto dependent = root_.getWorkflowDependentData();
    if (!dependent) return;
    const auto progress = dependent.getProgressData();
    if (!progress) return;
    ProgressEvent event;
    if (const auto overall = progress.getOverallProgressData())
        event.overallPercent = overall.getPercentage();
    if (const auto install = progress.getInstallProgressData()) {
        event.component = install.getComponentName();
        event.bytesDone = install.getBytesInstalledSoFar();
        event.bytesTotal = install.getExpectedBytesToBeInstalled();
    } else if (const auto download = progress.getDownloadProgressData()) {
        event.component = download.getComponentName();
        event.bytesDone = download.getBytesDownloadedSoFar();
        event.bytesTotal = download.getExpectedBytesToBeDownloaded();
    }
    sinks_.progress(event);
}

}  // namespace velora::installer
