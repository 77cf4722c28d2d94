// Installers writing the machine-wide registry at the same time: each waits for the one holding
// the store, and no value any of them wrote is lost.
#include <gmock/gmock.h>

#include <atomic>
#include <future>
#include <thread>

#include "RegistryStore.h"
#include "support/ScratchFolder.h"

namespace install::registry {
namespace {

TEST(RegistryWriters, WaitForTheOneHoldingTheStoreAndLoseNoValue) {
    workflow_test::ScratchFolder root;
    const RegistryStore store(root.path());
    const std::u16string key = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora";
    std::promise<void> holding, release;
    std::atomic<int> written{0};
    std::jthread holder([&] {
        store.update([&](RegistryKeys& keys) {
            keys[key][u"held"] = u"x";
            holding.set_value();
            release.get_future().wait();
        });
    });
    holding.get_future().wait();
    std::vector<std::jthread> writers;
    for (char16_t t = u'a'; t < u'e'; ++t) {
        writers.emplace_back([&, t] {
            for (char16_t n = u'0'; n <= u'9'; ++n) store.write(key, {t, n}, u"x");
            ++written;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(written, 0) << "a writer went ahead of the one holding the store";
    release.set_value();
    holder.join();
    writers.clear();
    EXPECT_EQ(store.readAll().at(key).size(), 41u);
}

}  // namespace
}  // namespace install::registry
