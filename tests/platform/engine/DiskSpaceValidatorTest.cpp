#include "install/engine/DiskSpaceValidator.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <limits>
#include <stdexcept>

#include "ScratchFolder.h"

namespace install::engine {
namespace {

TEST(DiskSpaceValidatorTest, MeasuresTheVolumeAFolderWillBeCreatedOn) {
    test::ScratchFolder scratch;
    const DiskSpaceValidator validator;
    struct statvfs volume {};
    ASSERT_EQ(::statvfs(scratch.path().c_str(), &volume), 0);
    const std::uint64_t blockSize = volume.f_frsize;

    const std::uint64_t available = validator.getAvailableDiskSpace(scratch.text());
    EXPECT_GT(available, 0u);
    EXPECT_EQ(available % blockSize, 0u);
    // Other programs write meanwhile; the two readings agree to within a few megabytes.
    const std::uint64_t later = validator.getAvailableDiskSpace((scratch.path() / "not" / "yet").u16string());
    EXPECT_LT(later > available ? later - available : available - later, 64u * 1024 * 1024);
}

TEST(DiskSpaceValidatorTest, ComparesTheRequiredBytesWithTheFreeSpace) {
    test::ScratchFolder scratch;
    const DiskSpaceValidator validator;
    EXPECT_TRUE(validator.hasEnoughDiskSpaceToInstall(scratch.text(), 0));
    EXPECT_TRUE(validator.hasEnoughDiskSpaceToInstall(scratch.text(), 4096));
    EXPECT_FALSE(
        validator.hasEnoughDiskSpaceToInstall(scratch.text(), std::numeric_limits<std::uint64_t>::max()));
    EXPECT_THROW(validator.hasEnoughDiskSpaceToInstall(u"", 1), std::invalid_argument);
}

}  // namespace
}  // namespace install::engine
