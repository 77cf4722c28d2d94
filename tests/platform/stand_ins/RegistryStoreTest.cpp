// The machine-wide registry's file store as a crash leaves it: whatever a killed writer left
// behind, readers see the last whole store and the next writer goes on from it; a store that
// cannot be read is never overwritten.
#include <gmock/gmock.h>

#include "RegistryStore.h"
#include "install/registry/RegistryReader.h"
#include "support/ScratchFolder.h"
#include "support/ValueText.h"

namespace install::registry {
namespace {

using workflow_test::joined;

constexpr char kStore[] = R"({"keys": {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora": {"Version": "1"}}})";

struct Leftovers {
    const char* name;
    std::string store;  // empty: none yet
    std::pair<std::string, std::string> file;
    std::string seen;  // "Version" before the next writer|after it
};

class CrashLeftoversTest : public testing::TestWithParam<Leftovers> {};

TEST_P(CrashLeftoversTest, NeverReplaceTheStoreAndTheNextWriterClearsThem) {
    workflow_test::ScratchFolder root;
    if (!GetParam().store.empty()) root.writeFile("registry.json", GetParam().store);
    root.writeFile(GetParam().file.first, GetParam().file.second);
    const RegistryReader reader(root.path());
    const auto version = [&] {
        return joined(reader.getMachineValue(u"software/velora", u"VERSION").value_or(u"-"));
    };
    const auto before = version();
    RegistryStore(root.path()).write(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora", u"Edition", u"Pro");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root.path()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(joined(before, version(), names), GetParam().seen + "|[registry.json,registry.lock]");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Crashes, CrashLeftoversTest, testing::Values(
    Leftovers{"HalfWrittenTemporaryFile", kStore, {"registry.json.tmp.Ab12Cd", R"({"keys": {"HKEY_LOC)"}, "1|1"},
    Leftovers{"WholeTemporaryFileNotYetRenamed", kStore, {"registry.json.tmp.Zz99Yy", R"({"keys": {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora": {"Version": "2"}}})"}, "1|1"},
    Leftovers{"TemporaryFileBeforeTheFirstStore", "", {"registry.json.tmp.Qq11Ww", kStore}, "-|-"},
    Leftovers{"LockFileOfAKilledWriter", kStore, {"registry.lock", "4242"}, "1|1"}),
    workflow_test::rowName);
// clang-format on

TEST(RegistryStore, AStoreThatCannotBeReadIsNeverOverwrittenAndTheErrorNamesIt) {
    workflow_test::ScratchFolder root;
    const auto file = root.writeFile("registry.json", "{\"keys\": {");
    EXPECT_THAT([&] { RegistryStore(root.path()).write(u"HKEY_LOCAL_MACHINE\\X", u"Y", u"Z"); },
                testing::ThrowsMessage<RegistryStoreError>(testing::HasSubstr(file.string())));
    EXPECT_EQ(workflow_test::readText(file), "{\"keys\": {");
}

}  // namespace
}  // namespace install::registry
