#include "fl/filesystem/Filesystem.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "fl/i18n/TextConversion.h"

namespace fl::filesystem {
namespace {

// Sets an environment variable for the test's duration and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class FilesystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "fs-test-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
    }
    void TearDown() override {
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder_);
    }

    std::u16string u16(const std::filesystem::path& path) const {
        return fl::i18n::to_u16string(path.string());
    }

    std::filesystem::path folder_;
};

TEST_F(FilesystemTest, TemporaryFolderFollowsTheFirstUsableVariable) {
    const ScopedVariable tmpdir("TMPDIR", (folder_ / "missing").string());
    const ScopedVariable tmp("TMP", folder_.string());
    EXPECT_EQ(tmpname(), u16(folder_));
}

TEST_F(FilesystemTest, TemporaryFolderFallsBackToTmp) {
    const ScopedVariable tmpdir("TMPDIR", std::string());
    const ScopedVariable tmp("TMP", std::nullopt);
    const ScopedVariable temp("TEMP", std::nullopt);
    const ScopedVariable tempdir("TEMPDIR", (folder_ / "file").string());
    std::ofstream(folder_ / "file") << "x";
    EXPECT_EQ(tmpname(), u"/tmp");
}

TEST_F(FilesystemTest, ExistsAndCreateDirectoriesWorkOnUtf16Paths) {
    const auto nested = u16(folder_) + u"/gr\u00fc\u00dfe/\u4e2d";
    EXPECT_FALSE(exists(nested));
    EXPECT_TRUE(create_directories(nested));
    EXPECT_FALSE(create_directories(nested));
    EXPECT_TRUE(exists(nested));
    EXPECT_TRUE(std::filesystem::is_directory(folder_ /
                                              "gr\xc3\xbc\xc3\x9f"
                                              "e" /
                                              "\xe4\xb8\xad"));
}

TEST_F(FilesystemTest, CreatingBelowAFileThrows) {
    std::ofstream(folder_ / "file") << "x";
    EXPECT_THROW(create_directories(u16(folder_ / "file" / "sub")), std::filesystem::filesystem_error);
}

TEST_F(FilesystemTest, UnsearchableFolderIsAnErrorNotAbsence) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    std::filesystem::create_directories(folder_ / "locked");
    std::filesystem::permissions(folder_ / "locked", std::filesystem::perms::none);
    EXPECT_THROW(exists(u16(folder_ / "locked" / "x")), std::filesystem::filesystem_error);
}

struct NameCase {
    std::u16string path;
    std::u16string expected;
};

class FileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileName, IsTheLastComponent) { EXPECT_EQ(filename(GetParam().path), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Paths, FileName,
                         ::testing::Values(NameCase{u"bin\\win64\\velora.exe", u"velora.exe"},
                                           NameCase{u"/opt/velora/bin/velora", u"velora"},
                                           NameCase{u"C:/mixed\\sep/tool.exe", u"tool.exe"},
                                           NameCase{u"plain.exe", u"plain.exe"}, NameCase{u"/opt/dir/", u""},
                                           NameCase{u"", u""}));

}  // namespace
}  // namespace fl::filesystem
