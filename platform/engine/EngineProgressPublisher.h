#pragma once

#include "foundation/ComponentExport.h"
#include "install/engine/ProgressData.h"

// The engine's side of the progress registrations (install/engine/ProgressRegistration.h): a
// worker thread hands each report here and every registered function receives it, on that same
// thread, before the call returns. Reports of one kind are delivered one at a time even when
// several workers publish at once, so a listener never runs twice concurrently.
namespace install::engine {

COMPONENT_API void publishDownloadProgress(const DownloadProgressData& data);
COMPONENT_API void publishInstallProgress(const InstallProgressData& data);
COMPONENT_API void publishUninstallProgress(const UninstallProgressData& data);

}  // namespace install::engine
