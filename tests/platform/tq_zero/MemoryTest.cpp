#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>

#include "TestElements.h"
#include "tq_zero/LiveNodeCount.h"

namespace tq_zero_test {
namespace {

using tq::zero::Model;
using tq::zero::nilUuid;
using tq::zero::detail::liveNodeCount;

constexpr int Replacements = 1'000'000;
constexpr int Checkpoint = 100'000;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool ResidentSizeIsMeaningful = false;  // the sanitizers keep freed memory in quarantine
#else
constexpr bool ResidentSizeIsMeaningful = true;
#endif

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Sees every commit but keeps nothing of it.
class PartReplacementCounter : public tq::zero::Listener {
public:
    static constexpr bool IsObserver = true;
    void transactionCommitted(const tq::zero::ShallowChangeReport<Gadget>& report) {
        for (const auto& entry : report) {
            if (entry.isChanged(Gadget::partProperty())) ++replacements;
        }
    }
    int replacements = 0;
};

class MemoryTest : public ::testing::Test {
protected:
    void replaceChildRepeatedly(std::size_t expectedLiveNodes) {
        for (int i = 1; i <= Replacements; ++i) {
            gadget.setPart(Part::create(model, nilUuid()));
            if (i % Checkpoint == 0) {
                ASSERT_EQ(liveNodeCount(gadget), expectedLiveNodes) << "after " << i << " replacements";
            }
        }
    }

    Model model;
    Gadget gadget = Gadget::create(model, nilUuid());
};

TEST_F(MemoryTest, AMillionReplacedChildrenAreAllFreed) {
    PartReplacementCounter observer;
    model.addListener(observer);
    const std::size_t residentBefore = residentBytes();
    replaceChildRepeatedly(2);
    if (ResidentSizeIsMeaningful) {
        // A million leaked nodes would take well over a hundred megabytes.
        EXPECT_LT(residentBytes(), residentBefore + 32 * 1024 * 1024);
    }
    model.removeListener(observer);
    EXPECT_EQ(observer.replacements, Replacements);
}

TEST_F(MemoryTest, ReplacementsInsideOneTransactionKeepOnlyTheValueToRestore) {
    const Part original = Part::create(model, nilUuid());
    gadget.setPart(original);
    model.beginTransaction(false);
    // The gadget, the original part (kept for a rollback) and the current part.
    replaceChildRepeatedly(3);
    model.endTransaction();
    EXPECT_EQ(gadget.getPart(), original);
    EXPECT_EQ(liveNodeCount(gadget), 2u);
}

}  // namespace
}  // namespace tq_zero_test
