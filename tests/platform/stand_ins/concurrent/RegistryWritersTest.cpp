// Installers writing the machine-wide registry at the same time: each waits for the one holding
// the store, and no value any of them wrote is lost.
#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "RegistryStore.h"
#include "support/ScratchFolder.h"

namespace install::registry {
namespace {

constexpr char16_t kKey[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora";

TEST(RegistryWriters, AWriterWaitsForTheOneHoldingTheStore) {
    workflow_test::ScratchFolder root;
    const RegistryStore store(root.path());
    std::promise<void> holding, release;
    std::jthread holder([&] {
        store.update([&](RegistryKeys& keys) {
            keys[kKey][u"First"] = u"1";
            holding.set_value();
            release.get_future().wait();
        });
    });
    holding.get_future().wait();
    std::atomic<bool> written{false};
    std::jthread waiter([&] {
        store.write(kKey, u"Second", u"2");
        written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(written) << "the second writer went ahead of the first";
    release.set_value();
    waiter.join();
    EXPECT_EQ(store.readAll().at(kKey).size(), 2u);
}

TEST(RegistryWriters, NoValueIsLostWhenManyWriteAtOnce) {
    workflow_test::ScratchFolder root;
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < 4; ++t) {
            writers.emplace_back([&root, t] {
                const RegistryStore store(root.path());
                for (int n = 0; n < 10; ++n) {
                    const auto name = std::to_string(t) + "-" + std::to_string(n);
                    store.write(kKey, std::u16string(name.begin(), name.end()), u"x");
                }
            });
        }
    }
    EXPECT_EQ(RegistryStore(root.path()).readAll().at(kKey).size(), 40u);
}

}  // namespace
}  // namespace install::registry
