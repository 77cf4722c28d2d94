#include "fl/filesystem/Filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "fl/i18n/TextConversion.h"

namespace fl::filesystem {
namespace {

namespace fs = std::filesystem;

fs::path native(const std::u16string& path) { return fs::path(fl::i18n::to_string(path)); }

void flush(const fs::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0 || ::fsync(descriptor) != 0) {
        const int error = errno;
        if (descriptor >= 0) ::close(descriptor);
        throw fs::filesystem_error("cannot flush the copy", file,
                                   std::error_code(error, std::generic_category()));
    }
    ::close(descriptor);
}

// A new, empty file beside the target that no other copy uses.
fs::path stagingFile(const fs::path& target) {
    std::string name =
        (target.parent_path() / ("." + target.filename().string() + ".partial-")).string() + "XXXXXX";
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        throw fs::filesystem_error("cannot create a file beside", target,
                                   std::error_code(errno, std::generic_category()));
    }
    ::close(descriptor);
    return name;
}

void stagedCopy(const fs::path& from, const fs::path& to) {
    const fs::path staging = stagingFile(to);
    try {
        fs::copy_file(from, staging, fs::copy_options::overwrite_existing);
        flush(staging);
        fs::rename(staging, to);
    } catch (...) {
        std::error_code ignored;
        fs::remove(staging, ignored);
        throw;
    }
}

void replaceWithLink(const fs::path& from, const fs::path& to) {
    std::error_code ignored;
    if (fs::is_symlink(fs::symlink_status(to, ignored))) fs::remove(to);
    fs::copy_symlink(from, to);
}

}  // namespace

std::u16string tmpname() {
    for (const char* variable : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"}) {
        const char* value = std::getenv(variable);
        std::error_code ignored;
        if (value != nullptr && *value != '\0' && std::filesystem::is_directory(value, ignored)) {
            return fl::i18n::to_u16string(value);
        }
    }
    std::error_code ignored;
    return std::filesystem::is_directory("/tmp", ignored) ? u"/tmp" : u"";
}

bool exists(const std::u16string& path) { return std::filesystem::exists(native(path)); }

// Bare readdir: a packages root may hold thousands of entries, and a directory_iterator builds
// and splits a path for every one of them, which costs twice the listing itself.
bool holds_entry_ending_in(const std::u16string& folder, std::string_view suffix) {
    const fs::path path = native(folder);
    DIR* listing = ::opendir(path.c_str());
    if (listing == nullptr)
        throw fs::filesystem_error("cannot list the folder", path,
                                   std::error_code(errno, std::generic_category()));
    bool found = false;
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != ".." && name.ends_with(suffix)) {
            found = true;
            break;
        }
    }
    const int error = errno;
    ::closedir(listing);
    if (!found && error != 0)
        throw fs::filesystem_error("cannot list the folder", path,
                                   std::error_code(error, std::generic_category()));
    return found;
}

bool create_directories(const std::u16string& path) {
    return std::filesystem::create_directories(native(path));
}

bool is_directory(const std::u16string& path) { return fs::is_directory(native(path)); }

bool is_regular_file(const std::u16string& path) { return fs::is_regular_file(native(path)); }

void copy_file(const std::u16string& from, const std::u16string& to) { stagedCopy(native(from), native(to)); }

void copy_folder(const std::u16string& from, const std::u16string& to) {
    const fs::path source = native(from);
    const fs::path target = native(to);
    fs::create_directories(target);
    for (auto entry = fs::recursive_directory_iterator(source); entry != fs::recursive_directory_iterator();
         ++entry) {
        const fs::path destination = target / entry->path().lexically_relative(source);
        if (entry->is_symlink()) {
            replaceWithLink(entry->path(), destination);
        } else if (entry->is_directory()) {
            fs::create_directories(destination);
        } else if (entry->is_regular_file()) {
            stagedCopy(entry->path(), destination);
        }
    }
}

std::u16string filename(const std::u16string& path) {
    const auto separator = path.find_last_of(u"/\\");
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

}  // namespace fl::filesystem
