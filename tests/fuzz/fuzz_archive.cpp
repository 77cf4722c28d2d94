// Archives from outside, inspected as the folder repository does and unpacked as the engine
// does: one archive, or two (split at kSeparator) unpacked one after the other into the same
// destination, so that a link the first plants is there when the second is written. The
// destination starts with links leading out of it; nothing outside it may change, and what an
// extraction answers it placed must be on disk.
#include <sys/stat.h>

#include <cerrno>
#include <iterator>
#include <set>

#include "FuzzSupport.h"
#include "ZipArchiveInspector.h"
#include "install/enczip/Extract.h"

namespace {

namespace fs = std::filesystem;
using velora::fuzz::check;

constexpr std::string_view kSeparator = "\n--second-archive--\n";

// Everything around the destination: names, kinds, modes, sizes, times, contents, link targets.
std::set<std::string> snapshot(const fs::path& root, const fs::path& destination) {
    std::set<std::string> entries;
    for (auto item = fs::recursive_directory_iterator(root); item != fs::end(item); ++item) {
        if (item->path() == destination) item.disable_recursion_pending();
        struct stat status {};
        if (item->path() == destination || ::lstat(item->path().c_str(), &status) != 0) continue;
        std::ifstream file(S_ISREG(status.st_mode) ? item->path() : fs::path(), std::ios::binary);
        const std::string content = S_ISLNK(status.st_mode)
                                        ? fs::read_symlink(item->path()).string()
                                        : std::string(std::istreambuf_iterator<char>(file), {});
        entries.insert(item->path().string() + " " + std::to_string(status.st_mode) + " " +
                       std::to_string(status.st_size) + " " + std::to_string(status.st_mtim.tv_nsec) + " " +
                       content);
    }
    return entries;
}

struct Sandbox {
    velora::fuzz::ScratchFolder folder;
    fs::path destination = folder.path() / "destination";
    std::set<std::string> before;

    Sandbox() {
        folder.writeFile("victim.txt", "not to be touched");
        folder.writeFile("victim/inner/file", "not to be touched");
        fs::create_symlink(folder.path() / "victim", folder.path() / "link-to-victim");
        before = snapshot(folder.path(), destination);
    }
    ~Sandbox() { velora::fuzz::wipe(destination); }
    void reset() const {
        velora::fuzz::wipe(destination);
        fs::create_directory(destination);
        fs::create_symlink("../victim", destination / "up");
        fs::create_symlink(folder.path() / "victim", destination / "absolute");
    }
};

void unpack(const fs::path& archive, const fs::path& destination, bool privateDestination) {
    try {
        install::repository_adapter::ZipArchiveInspector::inspect(archive);
    } catch (const install::repository_adapter::ArchiveInspectionError&) {
    }
    install::enczip::ExtractOptions options;
    options.privateDestination = privateDestination;
    try {
        for (const auto& placed : install::enczip::extract(archive, destination, options)) {
            struct stat status {};
            // A folder the archive made unsearchable hides what it holds.
            if (::lstat((destination / placed.path).c_str(), &status) != 0 && errno == EACCES) continue;
            using Kind = install::enczip::PlacedEntry::Kind;
            check(placed.kind == Kind::Folder ? S_ISDIR(status.st_mode)
                  : placed.kind == Kind::File
                      ? S_ISREG(status.st_mode) && status.st_size == off_t(placed.size)
                      : S_ISLNK(status.st_mode));
        }
    } catch (const std::runtime_error&) {
        // Refused entries, damaged archives and the file system's refusals are all documented.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1 << 16)) return 0;
    static const Sandbox sandbox;
    static const velora::fuzz::ScratchFolder archives;
    const std::string_view input = velora::fuzz::text(data, size);
    const auto split = input.find(kSeparator);
    sandbox.reset();
    unpack(velora::fuzz::replaceFile(archives, "first.zip", input.substr(0, split)), sandbox.destination,
           size % 2 == 0);
    if (split != std::string_view::npos)
        unpack(velora::fuzz::replaceFile(archives, "second.zip", input.substr(split + kSeparator.size())),
               sandbox.destination, size % 2 == 0);
    check(fs::is_directory(fs::symlink_status(sandbox.destination)) &&
          snapshot(sandbox.folder.path(), sandbox.destination) == sandbox.before);
    return 0;
}
