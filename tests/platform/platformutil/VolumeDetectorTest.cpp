#include "install/platformutil/VolumeDetector.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "ScratchFolder.h"

namespace install::platformutil {
namespace {

TEST(VolumeDetectorTest, AFolderStillToBeCreatedIsOnItsAncestorsVolume) {
    test::ScratchFolder scratch;
    const VolumeDetector detector;
    EXPECT_TRUE(detector.isSameVolume(scratch.text(), (scratch.path() / "not" / "yet").u16string()));
}

TEST(VolumeDetectorTest, DifferentFileSystemsAreDifferentVolumes) {
    test::ScratchFolder scratch;
    const VolumeDetector detector;
    // /proc is a file system of its own wherever a temporary folder lives.
    EXPECT_FALSE(detector.isSameVolume(scratch.text(), u"/proc"));
}

TEST(VolumeDetectorTest, AnEmptyPathLiesOnNoVolume) {
    EXPECT_THROW(VolumeDetector().getVolumeId(u""), std::invalid_argument);
}

}  // namespace
}  // namespace install::platformutil
