// The machine-wide registry's file store as a crash leaves it: whatever a killed writer left
// behind, readers see the last whole store and the next writer goes on from it.
#include <gmock/gmock.h>

#include "RegistryStore.h"
#include "install/registry/RegistryReader.h"
#include "support/ScratchFolder.h"
#include "support/ValueText.h"

namespace install::registry {
namespace {

namespace fs = std::filesystem;
using workflow_test::joined, workflow_test::readText;

constexpr char kStore[] = R"({"keys": {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora": {"Version": "1"}}})";

// What a crash left in the registry's folder, and what a reader then sees of "Version".
struct Leftovers {
    const char* name;
    std::optional<std::string> store;
    std::vector<std::pair<std::string, std::string>> files;
    std::string versionRead;  // before the next writer, then after it set "Edition"
};

class CrashLeftoversTest : public testing::TestWithParam<Leftovers> {};

TEST_P(CrashLeftoversTest, NeverReplaceTheStoreAndTheNextWriterClearsThem) {
    workflow_test::ScratchFolder root;
    if (GetParam().store) root.writeFile("registry.json", *GetParam().store);
    for (const auto& [name, content] : GetParam().files) root.writeFile(name, content);
    const RegistryStore store(root.path());
    const auto version = [&] {
        return joined(store.read(u"HKEY_LOCAL_MACHINE/software\\\\VELORA", u"version").value_or(u"-"));
    };
    const auto before = version();
    store.write(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora", u"Edition", u"Pro");
    EXPECT_EQ(before + "|" + version(), GetParam().versionRead);
    EXPECT_EQ(joined(store.read(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora", u"Edition").value_or(u"-")), "Pro");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root.path())) names.push_back(entry.path().filename());
    EXPECT_THAT(names, testing::UnorderedElementsAre("registry.json", "registry.lock"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Crashes, CrashLeftoversTest, testing::Values(
    Leftovers{"HalfWrittenTemporaryFile", kStore, {{"registry.json.tmp.Ab12Cd", R"({"keys": {"HKEY_LOC)"}}, "1|1"},
    Leftovers{"WholeTemporaryFileNotYetRenamed", kStore,
              {{"registry.json.tmp.Zz99Yy", R"({"keys": {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Velora": {"Version": "2"}}})"}}, "1|1"},
    Leftovers{"TemporaryFileBeforeTheFirstStore", std::nullopt, {{"registry.json.tmp.Qq11Ww", kStore}}, "-|-"},
    Leftovers{"LockFileOfAKilledWriter", kStore, {{"registry.lock", "4242"}}, "1|1"}),
    workflow_test::rowName);
// clang-format on

TEST(RegistryStore, ADamagedStoreIsNeverOverwrittenAndTheErrorNamesIt) {
    workflow_test::ScratchFolder root;
    const auto file = root.writeFile("registry.json", "{\"keys\": {");
    const RegistryStore store(root.path());
    EXPECT_THAT([&] { store.write(u"HKEY_LOCAL_MACHINE\\X", u"Y", u"Z"); },
                testing::ThrowsMessage<RegistryStoreError>(testing::HasSubstr(file.string())));
    EXPECT_EQ(readText(file), "{\"keys\": {");
    EXPECT_THROW(RegistryReader(root.path()).getMachineValue(u"X", u"Y"), std::runtime_error);
}

}  // namespace
}  // namespace install::registry
