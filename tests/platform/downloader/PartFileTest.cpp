// The partial file of a download: data written out early while it grows still lands whole.
#include <gtest/gtest.h>

#include <algorithm>

#include "PartFile.h"
#include "support/ScratchFolder.h"

namespace {

TEST(PartFile, GrowingPastSeveralWriteBackStepsKeepsEveryByteAndItsDigest) {
    for (const std::size_t held : {std::size_t{0}, std::size_t{3} << 20}) {
        SCOPED_TRACE(held);
        workflow_test::ScratchFolder scratch;
        std::string bytes((std::size_t{21} << 20) + 123, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
        scratch.writeFile("a.part", bytes.substr(0, held));
        install::downloader::PartFile part(scratch.path() / "a.part");
        for (std::size_t at = held; at < bytes.size(); at += 65536)
            part.append(bytes.data() + at, std::min<std::size_t>(65536, bytes.size() - at));
        install::enczip::Sha256 digest;
        digest.update(bytes.data(), bytes.size());
        EXPECT_EQ(part.sha256Hex(), digest.finishHex());
        part.commitAs(scratch.path() / "a");
        EXPECT_EQ(workflow_test::readText(scratch.path() / "a"), bytes);
    }
}

}  // namespace
