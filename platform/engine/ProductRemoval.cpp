// Uninstallation of products from an installation folder: the choice of what goes, the checks
// that it is still what was installed, and the staged removal itself.
#include "ProductRemoval.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "EngineErrorCodes.h"
#include "EngineProgressPublisher.h"
#include "FileDescriptor.h"
#include "InstallationRecorder.h"
#include "ProductMover.h"
#include "RegistrationRemoval.h"
#include "RelativePath.h"
#include "RuntimeReplacement.h"
#include "Sha256.h"
#include "StagingArea.h"
#include "TemporaryName.h"
#include "fl/i18n/TextConversion.h"
#include "install/cpputil/Interrupt.h"
#include "install/enczip/ExtractErrors.h"
#include "install/engine/EngineExceptions.h"

namespace fs = std::filesystem;

namespace install::engine {
namespace {

constexpr const char* kRemoveLocation = "Engine::startUninstall";

// What a folder holds that is not already named in the report as left, as " (a, b, c, ...)";
// empty when there is nothing else.
std::string unexplainedNamesIn(int folder, const std::string& path, const std::set<std::string>& left) {
    std::vector<std::string> names;
    for (std::string& name : namesIn(folder).value_or(std::vector<std::string>{"(unreadable)"})) {
        if (left.count(path.empty() ? name : path + "/" + name) == 0) names.push_back(std::move(name));
    }
    std::string listed;
    for (std::size_t index = 0; index < std::min<std::size_t>(names.size(), 3); ++index)
        listed += (index == 0 ? " (" : ", ") + names[index];
    return listed.empty() ? listed : listed + (names.size() > 3 ? ", ...)" : ")");
}

// Empty when the file cannot be read: it then differs from any digest recorded.
std::string sha256OfFile(int folder, const std::string& name) {
    const enczip::FileDescriptor file(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid()) return {};
    try {
        return enczip::Sha256::ofFile(file.get());
    } catch (const std::system_error&) {
        return {};
    }
}

// One staged uninstallation: every entry that goes is written down in the journal and moved into
// the staging area's aside folder, from where a failed run puts it back.
class Remover {
public:
    // `left`: the paths (from the folder) the report names as left, filled as they are found.
    Remover(const enczip::ConfinedFolder& destination, StagingArea& staging, RemovalReport& report,
            std::set<std::string>& left)
        : destination_(destination), staging_(staging), report_(report), left_(left) {}

    enum class Kind { File, Link, Folder, Any };

    // What is expected at the path; its size and digest for a file, its target for a link.
    struct Expected {
        Kind kind;
        std::uint64_t size = 0;
        std::string sha256;
        std::string target;
    };

    // True when the entry is gone now (or was gone already).
    bool takeAway(const std::string& path, const Expected& expected) {
        std::optional<enczip::ConfinedFolder::Folder> parent;
        try {
            parent.emplace(destination_.folder(parentOf(path), path));
        } catch (const enczip::UnsafeArchiveEntryError&) {
            return leave(path, "no longer inside the installation folder");
        } catch (const fs::filesystem_error& error) {
            if (error.code() == std::errc::no_such_file_or_directory) return true;
            return leave(path, "no longer in a folder");
        }
        const int folder = parent->descriptor.get();
        const std::string name = nameOf(path);
        struct stat status {};
        if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) return true;
            fail("Cannot inspect", path);
        }
        if (const auto why = mismatch(folder, name, path, status, expected)) {
            // A folder holding only what is named already is not named again.
            if (why->empty()) return !left_.insert(path).second;
            return leave(path, *why);
        }
        touch(*parent, path);
        const std::string aside = enczip::temporaryName("");
        staging_.journal().keptAside(path, aside);
        if (::renameat(folder, name.c_str(), staging_.asideDescriptor(), aside.c_str()) != 0)
            fail("Cannot remove", path);
        return true;
    }

    bool leave(const std::string& path, const std::string& why) {
        left_.insert(path);
        report_.left.push_back((destination_.path() / path).string() + ": " + why);
        return false;
    }

private:
    // Why the entry is not the one installed: nothing when it is, an empty text for a folder
    // that holds only what is named as left already.
    std::optional<std::string> mismatch(int folder, const std::string& name, const std::string& path,
                                        const struct stat& status, const Expected& expected) const {
        switch (expected.kind) {
            case Kind::File:
                if (!S_ISREG(status.st_mode)) return "no longer a file";
                if (static_cast<std::uint64_t>(status.st_size) != expected.size ||
                    (!expected.sha256.empty() &&
                     sha256OfFile(folder, name) != enczip::Sha256::normalized(expected.sha256)))
                    return "changed since the installation";
                return std::nullopt;
            case Kind::Link: {
                if (!S_ISLNK(status.st_mode)) return "no longer a link";
                std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
                const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
                if (length < 0 || static_cast<std::string::size_type>(length) != expected.target.size() ||
                    target.compare(0, expected.target.size(), expected.target) != 0)
                    return "changed since the installation";
                return std::nullopt;
            }
            case Kind::Folder: {
                if (!S_ISDIR(status.st_mode)) return "no longer a folder";
                const enczip::FileDescriptor inner(
                    ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
                if (!inner.valid()) return "cannot be read";
                if (namesIn(inner.get(), 1).value_or(std::vector<std::string>{"(unreadable)"}).empty())
                    return std::nullopt;
                const std::string names = unexplainedNamesIn(inner.get(), path, left_);
                return names.empty() ? std::string()
                                     : "holds what the installation did not put there" + names;
            }
            case Kind::Any:
                if (S_ISREG(status.st_mode)) return std::nullopt;
                return "not a file";
        }
        return std::nullopt;
    }

    void touch(const enczip::ConfinedFolder::Folder& folder, const std::string& path) {
        if (!touched_.insert(folder.path).second) return;
        struct stat status {};
        if (::fstat(folder.descriptor.get(), &status) != 0) fail("Cannot inspect", path);
        staging_.journal().folderTouched(folder.path, status.st_mtim);
    }

    [[noreturn]] static void fail(const std::string& what, const std::string& path) {
        throw std::system_error(errno, std::generic_category(), what + " " + path);
    }

    const enczip::ConfinedFolder& destination_;
    StagingArea& staging_;
    RemovalReport& report_;
    std::set<std::string>& left_;
    std::set<std::string> touched_{""};
};

// Deepest first, so that a folder is looked at once what it held is gone.
std::vector<std::string> deepestFirst(const std::set<std::string>& folders) {
    std::vector<std::string> ordered(folders.begin(), folders.end());
    std::sort(ordered.begin(), ordered.end(), [](const std::string& a, const std::string& b) {
        const auto depthA = std::count(a.begin(), a.end(), '/');
        const auto depthB = std::count(b.begin(), b.end(), '/');
        return depthA != depthB ? depthA > depthB : a < b;
    });
    return ordered;
}

// A folder the installation of a departing product created, which still holds what another
// product installed: it becomes that product's, so that the folder goes when the last of them does.
void handOver(InstallationManifest& remaining, const std::string& folder) {
    const std::string inside = folder + "/";
    for (InstalledProductEntry product : remaining.getProducts()) {
        const auto under = [&](const std::string& path) { return path.starts_with(inside); };
        if (std::any_of(product.files.begin(), product.files.end(),
                        [&](const auto& f) { return under(f.path); }) ||
            std::any_of(product.links.begin(), product.links.end(),
                        [&](const auto& l) { return under(l.path); }) ||
            std::any_of(product.folders.begin(), product.folders.end(), under)) {
            product.folders.push_back(folder);
            remaining.addProduct(std::move(product));
            return;
        }
    }
}

[[noreturn]] void interrupted() {
    throw EngineInterruptedException(kInterruptedCode, "Uninstallation interrupted",
                                     "cancelled while uninstalling", kRemoveLocation);
}

}  // namespace

NoInstallationError::~NoInstallationError() = default;

ProductRemoval::ProductRemoval(const fs::path& folder) : folder_(fs::absolute(folder).lexically_normal()) {
    std::error_code error;
    if (!fs::is_directory(folder_, error))
        throw NoInstallationError("There is no folder " + folder_.string() + ".");
    destination_ = std::make_unique<enczip::ConfinedFolder>(folder_);
    // A run killed half-way is taken back first, so the record read next is what is in place.
    StagingArea::recoverLeftovers(*destination_);
    RuntimeReplacement::settleLeftovers(*destination_);
    auto manifest = InstallationManifest::readFrom(folder_);
    if (!manifest)
        throw NoInstallationError("There is no installation in " + folder_.string() + ": it holds no " +
                                  InstallationManifest::kFileName + ".");
    manifest_ = std::move(*manifest);
}

RemovalReport ProductRemoval::remove(const std::vector<std::u16string>& baseCodes) {
    return run(baseCodes, nullptr, nullptr);
}

std::string ProductRemoval::setAside(const std::string& prefix) {
    std::string kept;
    run({}, &prefix, &kept);
    return kept;
}

RemovalReport ProductRemoval::run(const std::vector<std::u16string>& baseCodes, const std::string* keepPrefix,
                                  std::string* keptName) {
    std::set<std::u16string> chosen(baseCodes.begin(), baseCodes.end());
    for (const std::u16string& code : chosen) {
        const auto& products = manifest_.getProducts();
        if (std::none_of(products.begin(), products.end(),
                         [&](const auto& p) { return p.baseCode == code; })) {
            std::string installed;
            for (const auto& product : products)
                installed += (installed.empty() ? "" : ", ") + fl::i18n::to_string(product.baseCode);
            throw std::invalid_argument("Product " + fl::i18n::to_string(code) + " is not installed in " +
                                        folder_.string() +
                                        "; installed: " + (installed.empty() ? "none" : installed) + ".");
        }
    }
    InstallationManifest remaining = manifest_;
    std::vector<InstalledProductEntry> leaving;
    for (const InstalledProductEntry& product : manifest_.getProducts()) {
        if (chosen.empty() || chosen.count(product.baseCode) > 0) {
            leaving.push_back(product);
            remaining.removeProduct(product.baseCode);
        }
    }
    // What a product that stays lists is not taken away from under it.
    std::set<std::string> staying;
    for (const InstalledProductEntry& product : remaining.getProducts()) {
        for (const InstalledFile& file : product.files) staying.insert(file.path);
        for (const InstalledLink& link : product.links) staying.insert(link.path);
        for (const std::string& folder : product.folders) staying.insert(folder);
    }
    const auto holdsStaying = [&](const std::string& folder) {
        const auto after = staying.lower_bound(folder + "/");
        return after != staying.end() && after->starts_with(folder + "/");
    };

    RemovalReport report;
    std::uint64_t total = 0;
    for (const InstalledProductEntry& product : leaving) {
        report.products.push_back(product.name);
        for (const InstalledFile& file : product.files) total += file.size;
    }
    std::set<std::string> removedFiles;
    std::set<std::string> left;
    {
        StagingArea staging(*destination_);
        Remover remover(*destination_, staging, report, left);
        std::uint64_t done = 0;
        std::set<std::string> folders;
        for (const InstalledProductEntry& product : leaving) {
            for (const InstalledFile& file : product.files) {
                if (cpputil::interrupt::is_set()) interrupted();
                done += file.size;
                if (staying.count(file.path) > 0) continue;
                if (remover.takeAway(file.path, {Remover::Kind::File, file.size, file.sha256, {}})) {
                    removedFiles.insert((folder_ / file.path).string());
                    ++report.files;
                }
                publishUninstallProgress(
                    {product.name, done, total,
                     total == 0 ? 100 : std::min<std::uint64_t>(100, done * 100 / total)});
            }
            for (const InstalledLink& link : product.links) {
                if (staying.count(link.path) == 0 &&
                    remover.takeAway(link.path, {Remover::Kind::Link, 0, {}, link.target}))
                    ++report.links;
            }
            for (const std::string& folder : product.folders) {
                if (staying.count(folder) > 0) continue;
                if (holdsStaying(folder)) {
                    handOver(remaining, folder);
                } else {
                    folders.insert(folder);
                }
            }
        }
        for (const std::string& folder : deepestFirst(folders)) {
            if (remover.takeAway(folder, {Remover::Kind::Folder, 0, {}, {}})) ++report.folders;
        }

        // Launchers and links outside go with the programs they start; all of them with the last
        // product.
        RegistrationRemoval outside;
        for (const InstalledRegistration& registration : manifest_.getRegistrations()) {
            if (keepPrefix != nullptr) break;
            if (!remaining.getProducts().empty() && removedFiles.count(registration.target) == 0) continue;
            std::string why;
            if (outside.remove(registration, why)) {
                report.registrations.push_back(registration.path);
                remaining.removeRegistration(registration.path);
            } else {
                report.left.push_back(registration.path + ": " + why);
            }
        }

        if (remaining.getProducts().empty()) {
            for (const char* own : {InstallationManifest::kFileName, InstallationManifest::kFileListName,
                                    kUninstallerScript, InstallationRecorder::kReleaseFileName})
                remover.takeAway(own, {Remover::Kind::Any, 0, {}, {}});
        } else {
            ProductMover mover(*destination_, staging);
            mover.placeFile(InstallationManifest::kFileListName, remaining.fileList());
            mover.placeFile(InstallationManifest::kFileName, remaining.toJson());
        }
        if (cpputil::interrupt::is_set()) interrupted();
        staging.flush();
        if (keepPrefix != nullptr) {
            *keptName = staging.keepUnfinished(*keepPrefix);
        } else {
            staging.finish();
            outside.keep();
        }
    }
    manifest_ = remaining;
    if (keepPrefix != nullptr) return report;

    if (remaining.getProducts().empty()) {
        destination_.reset();
        if (!manifest_.getCreatedFolder()) {
            report.left.push_back(folder_.string() + ": was there before the installation");
        } else if (::rmdir(folder_.c_str()) == 0) {
            report.folderRemoved = true;
        } else {
            const enczip::FileDescriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            const std::string names = folder.valid() ? unexplainedNamesIn(folder.get(), "", left) : "";
            if (!names.empty())
                report.left.push_back(folder_.string() + ": holds what the installation did not put there" +
                                      names);
        }
    }
    return report;
}

}  // namespace install::engine
