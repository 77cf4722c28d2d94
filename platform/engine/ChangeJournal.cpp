#include "ChangeJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "RelativePath.h"
#include "TreeRemoval.h"

namespace install::engine {
namespace {

struct Record {
    char kind;
    std::vector<std::string> fields;
};

std::size_t fieldsOf(char kind) { return kind == 'C' ? 0 : kind == 'A' ? 2 : 3; }

// Every record complete in the text; one cut short by a kill ends the list.
std::vector<Record> parse(const std::string& text) {
    std::vector<Record> records;
    std::size_t at = 0;
    while (at < text.size()) {
        Record record{text[at++], {}};
        while (record.fields.size() < fieldsOf(record.kind)) {
            const std::size_t end = text.find('\0', at);
            if (end == std::string::npos) return records;
            record.fields.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string readJournal(int stagingFolder) {
    const enczip::FileDescriptor file(
        ::openat(stagingFolder, ChangeJournal::kFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    std::string text;
    if (!file.valid()) return text;
    char buffer[65536];
    ssize_t count = 0;
    while ((count = ::read(file.get(), buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR))
        text.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    return text;
}

// Puts back one change; false when that failed.
bool undo(const Record& record, const enczip::ConfinedFolder& destination, int aside) {
    const std::string& path = record.fields.at(0);
    struct stat status {};
    if (record.kind == 'A' && ::fstatat(aside, record.fields[1].c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return true;  // never kept aside, or put back already
    std::optional<enczip::ConfinedFolder::Folder> parent;
    try {
        parent.emplace(destination.folder(record.kind == 'T' ? path : parentOf(path), path));
    } catch (const std::filesystem::filesystem_error& error) {
        // A folder that is gone holds nothing this run placed.
        return record.kind == 'P' && error.code() == std::errc::no_such_file_or_directory;
    } catch (const std::exception&) {
        return false;
    }
    const int folder = parent->descriptor.get();
    if (record.kind == 'T') {
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {std::stoll(record.fields[1]), std::stol(record.fields[2])}};
        return ::futimens(folder, times) == 0;
    }
    if (record.kind == 'A')
        return ::renameat(aside, record.fields[1].c_str(), folder, nameOf(path).c_str()) == 0;
    // Only the very entry this run moved there goes, not one someone put in its place since.
    if (::fstatat(folder, nameOf(path).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        std::to_string(status.st_dev) != record.fields[1] ||
        std::to_string(status.st_ino) != record.fields[2])
        return true;
    return removeTree(folder, nameOf(path));
}

}  // namespace

ChangeJournal::ChangeJournal(int stagingFolder)
    : file_(::openat(stagingFolder, kFileName,
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC, 0600)) {
    if (!file_.valid())
        throw std::system_error(errno, std::generic_category(), "cannot start the change journal");
}

void ChangeJournal::folderTouched(const std::string& path, const timespec& modified) {
    append('T', {path, std::to_string(modified.tv_sec), std::to_string(modified.tv_nsec)});
}

void ChangeJournal::keptAside(const std::string& path, const std::string& asideName) {
    append('A', {path, asideName});
}

void ChangeJournal::placed(const std::string& path, const struct stat& staged) {
    append('P', {path, std::to_string(staged.st_dev), std::to_string(staged.st_ino)});
}

void ChangeJournal::committed() { append('C', {}); }

void ChangeJournal::append(char kind, std::initializer_list<std::string> fields) {
    // One write per record: a kill lands before or after it, and what was written is kept by the
    // kernel even though the process is gone.
    std::string record(1, kind);
    for (const std::string& field : fields) record.append(field).push_back('\0');
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t count = ::write(file_.get(), record.data() + done, record.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0)
            throw std::system_error(errno, std::generic_category(), "cannot write the change journal");
        done += static_cast<std::size_t>(count);
    }
}

std::optional<timespec> ChangeJournal::takeBack(const enczip::ConfinedFolder& destination,
                                                int stagingFolder) {
    const std::vector<Record> records = parse(readJournal(stagingFolder));
    for (const Record& record : records) {
        if (record.kind == 'C') return std::nullopt;
    }
    const enczip::FileDescriptor aside(
        ::openat(stagingFolder, kAsideFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    std::optional<timespec> rootTime;
    std::string failed;
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
        if (record->kind == 'T' && record->fields[0].empty()) {
            rootTime = timespec{std::stoll(record->fields[1]), std::stol(record->fields[2])};
        } else if (!undo(*record, destination, aside.get())) {
            failed += (failed.empty() ? "" : ", ") + record->fields[0];
        }
    }
    if (!failed.empty())
        throw std::runtime_error("cannot put back " + failed + " in " + destination.path().string());
    return rootTime;
}

}  // namespace install::engine
