#pragma once

#include <functional>

#include <boost/signals2/connection.hpp>

#include "foundation/ComponentExport.h"
#include "install/engine/ProgressData.h"

// How engine progress reaches its listeners. A listener registers a function and keeps the
// returned connection for as long as it wants reports; destroying the connection unregisters it.
// Registration and unregistration are safe from any thread. The engine calls the registered
// functions on its own worker threads, one report at a time per kind, and joins those threads
// before its run returns, so no report arrives after a connection closed once the run is over.
// An exception thrown by a function reaches the engine's reporting thread.
namespace install::engine {

COMPONENT_API boost::signals2::scoped_connection registerDownloadProgressCallback(
    const std::function<void(DownloadProgressData)>& callback);
COMPONENT_API boost::signals2::scoped_connection registerInstallProgressCallback(
    const std::function<void(InstallProgressData)>& callback);
COMPONENT_API boost::signals2::scoped_connection registerUninstallProgressCallback(
    const std::function<void(UninstallProgressData)>& callback);

}  // namespace install::engine
