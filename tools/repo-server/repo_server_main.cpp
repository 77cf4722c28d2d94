// velora-repo-server: a product repository on 127.0.0.1 for the tests and for trying the
// installer by hand (docs/repository-protocol.md).
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <thread>

#include "RepositoryServer.h"
#include "ServerOptions.h"

int main(int argc, char** argv) {
    using velora::tools::ServerOptions;
    ServerOptions options;
    try {
        options = ServerOptions::parse({argv + 1, argv + argc}, std::getenv("VELORA_REPO_PROXY_AUTH"));
    } catch (const std::invalid_argument& error) {
        std::cerr << "velora-repo-server: " << error.what() << "\n" << ServerOptions::usage();
        return 2;
    }
    if (options.help) {
        std::cout << ServerOptions::usage();
        return 0;
    }

    // The signals are taken by this thread alone, with sigwait, so stopping is ordinary code
    // rather than work inside a signal handler. The server's threads inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::unique_ptr<velora::tools::RepositoryServer> created;
    try {
        created = std::make_unique<velora::tools::RepositoryServer>(options);
    } catch (const std::invalid_argument& error) {
        std::cerr << "velora-repo-server: " << error.what() << "\n";
        return 2;
    }
    velora::tools::RepositoryServer& server = *created;
    const int port = server.bind();
    if (port <= 0) {
        std::cerr << "velora-repo-server: cannot listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    std::cout << "listening on 127.0.0.1:" << port << std::endl;

    std::atomic<bool> ended{false};
    std::thread serving([&] {
        server.run();
        ended.store(true);
    });
    const timespec interval{0, 200'000'000};
    while (!ended.load() && sigtimedwait(&stopSignals, nullptr, &interval) < 0) {
    }
    // A stop that comes before the serving thread has started listening is not heard by the
    // library, so it is repeated until the thread has ended.
    const timespec retry{0, 10'000'000};
    while (!ended.load()) {
        server.stop();
        nanosleep(&retry, nullptr);
    }
    serving.join();
    return 0;
}
