#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>

#include "foundation/ComponentExport.h"

namespace foundation::release_info {

// What a "VersionInfo.xml" says about a release: its family ("2025.1"), its status ("Release",
// "Prerelease"), its update level and its version. The installer ships one beside itself and
// every installation folder holds one. The file looks like
//
//   <VersionInfo>
//     <Release>2025.1</Release>
//     <ReleaseStatus>Release</ReleaseStatus>
//     <UpdateLevel>2</UpdateLevel>
//     <Version>25.1.0.2041</Version>
//   </VersionInfo>
//
// Every child is optional; a release without updates has level 0.
class COMPONENT_API ReleaseInfo {
public:
    // Throws ReleaseInfoException when the stream is not such a document.
    explicit ReleaseInfo(std::istream& stream);
    ReleaseInfo(std::u16string releaseFamily, std::u16string releaseStatus, std::int32_t updateLevel,
                std::u16string version = {});

    const std::u16string& getReleaseFamily() const;
    const std::u16string& getReleaseStatus() const;
    std::int32_t getUpdateLevel() const;
    const std::u16string& getVersion() const;

    // Writes the document that the stream constructor reads back.
    void write(std::ostream& stream) const;

private:
    std::u16string releaseFamily_;
    std::u16string releaseStatus_;
    std::int32_t updateLevel_ = 0;
    std::u16string version_;
};

class COMPONENT_API ReleaseInfoException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~ReleaseInfoException() override;
};

}  // namespace foundation::release_info
