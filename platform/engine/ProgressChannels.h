#pragma once

#include <mutex>

#include <boost/signals2/signal.hpp>

#include "install/engine/ProgressData.h"

namespace install::engine {

// One channel per kind of report. The registration functions carry no engine object, so the
// channels belong to the process; signals2 makes connecting, disconnecting and delivering safe
// across threads, and the mutex keeps deliveries of one kind in sequence.
template <typename Data>
struct ProgressChannel {
    boost::signals2::signal<void(Data)> signal;
    std::mutex delivery;

    void publish(const Data& data) {
        std::lock_guard lock(delivery);
        signal(data);
    }
};

struct ProgressChannels {
    ProgressChannel<DownloadProgressData> download;
    ProgressChannel<InstallProgressData> install;
    ProgressChannel<UninstallProgressData> uninstall;

    static ProgressChannels& process();
};

}  // namespace install::engine
