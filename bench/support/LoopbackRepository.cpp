// Starting and stopping the loopback repository server for the online benchmarks.
#include "LoopbackRepository.h"

#include <signal.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace velora::bench {

namespace {

std::vector<std::string> serverArguments(const std::filesystem::path& root,
                                         const std::vector<std::string>& extra) {
    std::vector<std::string> arguments{"--root", root.string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

}  // namespace

LoopbackRepository::LoopbackRepository(const std::filesystem::path& server, const std::filesystem::path& root,
                                       const std::filesystem::path& output,
                                       const std::vector<std::string>& extraArguments)
    : process_(server, serverArguments(root, extraArguments), {}, output) {
    static const std::string kListening = "listening on 127.0.0.1:";
    for (int attempt = 0; attempt < 400 && port_ == 0; ++attempt) {
        std::ifstream stream(output);
        std::string line;
        // A line is whole once its line break is there.
        if (std::getline(stream, line) && !stream.eof() && line.starts_with(kListening)) {
            port_ = std::stoi(line.substr(kListening.size()));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    if (port_ == 0) throw std::runtime_error("velora-repo-server did not start; see " + output.string());
}

LoopbackRepository::~LoopbackRepository() {
    process_.sendSignal(SIGTERM);
    process_.wait(std::chrono::seconds(10));
}

std::string LoopbackRepository::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
}

}  // namespace velora::bench
