// The partial file of a download: data written out early while the file grows still lands whole.
#include <gtest/gtest.h>

#include "PartFile.h"
#include "support/ScratchFolder.h"

TEST(PartFile, GrowingPastSeveralWriteBackStepsFreshOrResumedLandsWhole) {
    for (const std::size_t held : {std::size_t{0}, std::size_t{3} << 20}) {
        SCOPED_TRACE(held);
        workflow_test::ScratchFolder scratch;
        std::string bytes(std::size_t{21} << 20, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
        install::downloader::PartFile part(scratch.writeFile("a.part", bytes.substr(0, held)));
        for (std::size_t at = held; at < bytes.size(); at += 65536) part.append(bytes.data() + at, 65536);
        part.commitAs(scratch.path() / "a");
        EXPECT_EQ(workflow_test::readText(scratch.path() / "a"), bytes);
    }
}
