#include "host/EventStream.h"

#include <nlohmann/json.hpp>

#include "fl/i18n/TextConversion.h"

namespace velora::installer {

namespace {

std::string utf8(const std::u16string& text) { return fl::i18n::to_string(text); }

}  // namespace

void EventStream::step(const StepEvent& event) {
    const nlohmann::json line = {
        {"event", "step"}, {"required", utf8(event.required)}, {"processed", utf8(event.processed)}};
    const std::lock_guard lock(mutex_);
    out_ << line.dump() << '\n' << std::flush;
}

void EventStream::validation(const ValidationEvent& event) {
    const nlohmann::json line = {{"event", "validation"},
                                 {"result", event.result},
                                 {"type", event.type},
                                 {"title", utf8(event.title)},
                                 {"message", utf8(event.message)}};
    const std::lock_guard lock(mutex_);
    out_ << line.dump() << '\n' << std::flush;
}

void EventStream::workflow(const WorkflowEvent& event) {
    const nlohmann::json line = {{"event", "workflow"}, {"from", utf8(event.from)}, {"to", utf8(event.to)}};
    const std::lock_guard lock(mutex_);
    out_ << line.dump() << '\n' << std::flush;
}

void EventStream::progress(const ProgressEvent& event) {
    const std::lock_guard lock(mutex_);
    if (lastProgress_ && lastProgress_->overallPercent == event.overallPercent &&
        lastProgress_->component == event.component && lastProgress_->bytesDone == event.bytesDone &&
        lastProgress_->bytesTotal == event.bytesTotal) {
        return;
    }
    lastProgress_ = event;
    const nlohmann::json line = {{"event", "progress"},
                                 {"percent", event.overallPercent},
                                 {"component", utf8(event.component)},
                                 {"bytesDone", event.bytesDone},
                                 {"bytesTotal", event.bytesTotal}};
    out_ << line.dump() << '\n' << std::flush;
}

void EventStream::finished(int exitStatus) {
    const nlohmann::json line = {{"event", "finished"}, {"exitStatus", exitStatus}};
    const std::lock_guard lock(mutex_);
    out_ << line.dump() << '\n' << std::flush;
}

}  // namespace velora::installer
