#include "CommandLinks.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace registration::productconfig {
namespace {

bool isExecutableFile(const fs::directory_entry& entry) {
    std::error_code error;
    const fs::file_status status = entry.status(error);
    constexpr fs::perms anyExecute = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    return !error && fs::is_regular_file(status) && (status.permissions() & anyExecute) != fs::perms::none;
}

void placeLink(const fs::path& program, const fs::path& link) {
    std::error_code error;
    const fs::file_status existing = fs::symlink_status(link, error);
    if (fs::exists(existing) && !fs::is_symlink(existing)) {
        throw fs::filesystem_error("exists and is not a link, left alone", link,
                                   std::make_error_code(std::errc::file_exists));
    }
    // Made beside the final name and renamed over it, so the command never goes missing
    // while an earlier installation's link is replaced. The hidden name is appended piece by
    // piece: prepending to a temporary string makes g++ 12 warn about overlapping copies at -O3.
    std::string hiddenName = ".";
    hiddenName.append(link.filename().string())
        .append(".")
        .append(std::to_string(::getpid()))
        .append(".part");
    const fs::path temporary = link.parent_path() / hiddenName;
    fs::remove(temporary, error);
    fs::create_symlink(program, temporary);
    fs::rename(temporary, link, error);
    if (error) {
        fs::remove(temporary);
        throw fs::filesystem_error("Cannot place link", link, error);
    }
}

}  // namespace

std::vector<fs::path> productPrograms(const fs::path& installFolder) {
    std::vector<fs::path> programs;
    const fs::path bin = installFolder / "bin";
    if (!fs::is_directory(bin)) return programs;
    for (const fs::directory_entry& entry : fs::directory_iterator(bin)) {
        if (isExecutableFile(entry)) programs.push_back(entry.path());
    }
    std::sort(programs.begin(), programs.end());
    return programs;
}

LinkResult linkPrograms(const std::vector<fs::path>& programs, const fs::path& folder) {
    LinkResult result;
    fs::create_directories(folder);
    for (const fs::path& program : programs) {
        const std::string name = program.filename().string();
        try {
            placeLink(program, folder / name);
            result.linked.push_back(name);
        } catch (const fs::filesystem_error& error) {
            result.problems.push_back(name + ": " + error.what());
        }
    }
    return result;
}

}  // namespace registration::productconfig
