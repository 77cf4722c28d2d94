// Free space of the volume a folder is, or will be, created on.
#include "install/engine/DiskSpaceValidator.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <limits>
#include <stdexcept>

#include "support/ScratchFolder.h"

namespace install::engine {
namespace {

TEST(DiskSpaceValidatorTest, ComparesTheRequiredBytesWithTheSpaceOfTheNearestExistingFolder) {
    workflow_test::ScratchFolder scratch;
    const DiskSpaceValidator validator;
    struct statvfs volume {};
    ASSERT_EQ(::statvfs(scratch.path().c_str(), &volume), 0);
    const std::uint64_t available =
        validator.getAvailableDiskSpace((scratch.path() / "not" / "yet").u16string());
    EXPECT_EQ(available % volume.f_frsize, 0u);
    EXPECT_TRUE(validator.hasEnoughDiskSpaceToInstall(scratch.u16(), 4096));
    EXPECT_FALSE(
        validator.hasEnoughDiskSpaceToInstall(scratch.u16(), std::numeric_limits<std::uint64_t>::max()));
    EXPECT_THROW(validator.hasEnoughDiskSpaceToInstall(u"", 1), std::invalid_argument);
}

}  // namespace
}  // namespace install::engine
