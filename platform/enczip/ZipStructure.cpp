#include "ZipStructure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

#include "FileDescriptor.h"
#include "PosixError.h"
#include "install/enczip/ExtractErrors.h"

namespace install::enczip {
namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEnd = 0x06054b50;
constexpr std::uint32_t kEnd64 = 0x06064b50;
constexpr std::uint32_t kEnd64Locator = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kLongestComment = 0xffff;
constexpr unsigned kMadeOnUnix = 3;

std::uint64_t little(const std::vector<unsigned char>& bytes, std::size_t at, int width) {
    if (at + static_cast<std::size_t>(width) > bytes.size()) throw std::out_of_range("zip record");
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

class ZipFile {
public:
    explicit ZipFile(const std::string& path)
        : path_(path), file_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat status {};
        if (!file_.valid() || ::fstat(file_.get(), &status) != 0)
            throwFileSystemError("Cannot open archive", path, errno);
        size_ = static_cast<std::uint64_t>(status.st_size);
    }
    std::uint64_t size() const { return size_; }
    std::vector<unsigned char> read(std::uint64_t offset, std::uint64_t length) const {
        if (offset > size_ || length > size_ - offset) fail("a record lies beyond the end of the file");
        std::vector<unsigned char> bytes(length);
        std::size_t done = 0;
        while (done < length) {
            const ssize_t count =
                ::pread(file_.get(), bytes.data() + done, length - done, static_cast<off_t>(offset + done));
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) throwFileSystemError("Cannot read archive", path_, count < 0 ? errno : EIO);
            done += static_cast<std::size_t>(count);
        }
        return bytes;
    }
    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error("Not a zip archive " + path_ + ": " + why);
    }

private:
    std::string path_;
    FileDescriptor file_;
    std::uint64_t size_ = 0;
};

constexpr std::uint16_t kZip64Extra = 0x0001;
constexpr std::uint64_t kInZip64 = 0xffffffff;

// An entry's unpacked size; one too large for its field stands first in its zip64 extra field.
std::uint64_t unpackedSize(const ZipFile& zip, const std::vector<unsigned char>& directory, std::size_t at,
                           std::size_t nameLength) {
    const std::uint64_t size = little(directory, at + 24, 4);
    if (size != kInZip64) return size;
    const std::size_t extraEnd = at + 46 + nameLength + little(directory, at + 30, 2);
    for (std::size_t field = at + 46 + nameLength; field + 4 <= extraEnd;) {
        const std::size_t length = little(directory, field + 2, 2);
        if (little(directory, field, 2) == kZip64Extra && length >= 8) return little(directory, field + 4, 8);
        field += 4 + length;
    }
    zip.fail("an entry's size is missing from its zip64 field");
}

ZipStructure::Contents checkStructure(const ZipFile& zip) {
    if (zip.size() < kEndSize) zip.fail("too short");
    // The end record must close the file exactly: its comment reaches the last byte.
    const std::uint64_t tailStart =
        zip.size() - std::min<std::uint64_t>(zip.size(), kEndSize + kLongestComment);
    const std::vector<unsigned char> tail = zip.read(tailStart, zip.size() - tailStart);
    std::optional<std::size_t> found;
    for (std::size_t at = tail.size() - kEndSize + 1; !found && at-- > 0;) {
        if (little(tail, at, 4) == kEnd && at + kEndSize + little(tail, at + 20, 2) == tail.size())
            found = at;
    }
    if (!found) zip.fail("no end record at its end");
    const std::size_t end = *found;

    std::uint64_t endOffset = tailStart + end;
    std::uint64_t entries = little(tail, end + 10, 2);
    std::uint64_t directorySize = little(tail, end + 12, 4);
    std::uint64_t directoryOffset = little(tail, end + 16, 4);
    if (entries == 0xffff || directorySize == 0xffffffff || directoryOffset == 0xffffffff) {
        if (endOffset < 20) zip.fail("no zip64 end record");
        const std::vector<unsigned char> locator = zip.read(endOffset - 20, 20);
        if (little(locator, 0, 4) != kEnd64Locator) zip.fail("no zip64 end record");
        endOffset = little(locator, 8, 8);
        const std::vector<unsigned char> end64 = zip.read(endOffset, 56);
        if (little(end64, 0, 4) != kEnd64) zip.fail("no zip64 end record");
        entries = little(end64, 32, 8);
        directorySize = little(end64, 40, 8);
        directoryOffset = little(end64, 48, 8);
    }
    // Anything before the first entry or between the directory and its end record is another
    // archive's (or a program's) data.
    if (entries > 0 && little(zip.read(0, 4), 0, 4) != kLocalHeader) zip.fail("data before its first entry");
    if (directoryOffset + directorySize != endOffset) zip.fail("data between its entries and its end record");
    if (entries == 0 && endOffset != 0) zip.fail("data before its end record");

    const std::vector<unsigned char> directory = zip.read(directoryOffset, directorySize);
    ZipStructure::Contents contents{entries, 0};
    std::size_t at = 0;
    for (std::uint64_t entry = 0; entry < entries; ++entry) {
        if (little(directory, at, 4) != kCentralHeader) zip.fail("damaged central directory");
        const std::size_t nameLength = little(directory, at + 28, 2);
        const std::size_t recordLength =
            46 + nameLength + little(directory, at + 30, 2) + little(directory, at + 32, 2);
        const std::uint64_t kind = little(directory, at + 38, 4) >> 16 & S_IFMT;
        if (little(directory, at + 4, 2) >> 8 == kMadeOnUnix && kind != 0 && kind != S_IFREG &&
            kind != S_IFDIR && kind != S_IFLNK) {
            if (at + 46 + nameLength > directory.size()) zip.fail("damaged central directory");
            const std::string name(directory.begin() + static_cast<std::ptrdiff_t>(at + 46),
                                   directory.begin() + static_cast<std::ptrdiff_t>(at + 46 + nameLength));
            throw UnsafeArchiveEntryError(name,
                                          "devices, pipes and sockets have no place in an installation");
        }
        contents.unpackedBytes += unpackedSize(zip, directory, at, nameLength);
        at += recordLength;
    }
    return contents;
}

}  // namespace

ZipStructure::Contents ZipStructure::check(const std::string& path) {
    const ZipFile zip(path);
    try {
        return checkStructure(zip);
    } catch (const std::out_of_range&) {
        zip.fail("a record is cut short");
    }
}

}  // namespace install::enczip
