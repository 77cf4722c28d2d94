#pragma once

#include <cstdint>

namespace install::engine {

// What a run of the engine is for.
enum class WorkflowType : std::int32_t {
    Install = 0,
    DownloadOnly = 1,
    InstallFromFolder = 2,
    RemoveExistingRuntime = 3,
};

}  // namespace install::engine
