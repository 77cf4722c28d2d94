#pragma once

#include <mutex>
#include <optional>
#include <ostream>

#include "host/ModelEvents.h"

namespace velora::installer {

// One JSON object a line, so that a user interface in another process can follow a run:
//   {"event":"step","required":"FolderSelectionGate","processed":"SLAGate"}
//   {"event":"workflow","from":"Interactive Online Install","to":"DownloadOnly"}
//   {"event":"validation","result":2,"type":14,"title":"...","message":"..."}
//   {"event":"progress","percent":42,"component":"VELORA","bytesDone":1024,"bytesTotal":4096}
// A progress line is written only when something in it changed. Safe from any thread.
class EventStream {
public:
    explicit EventStream(std::ostream& out) : out_(out) {}

    void step(const StepEvent& event);
    void validation(const ValidationEvent& event);
    void workflow(const WorkflowEvent& event);
    void progress(const ProgressEvent& event);
    // A closing line with the run's exit status.
    void finished(int exitStatus);

private:
    std::mutex mutex_;
    std::ostream& out_;
    std::optional<ProgressEvent> lastProgress_;
};

}  // namespace velora::installer
