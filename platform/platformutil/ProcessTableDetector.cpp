#include "ProcessTableDetector.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "fl/i18n/TextConversion.h"

namespace install::platformutil {
namespace {

// Linux truncates the command name in /proc/<pid>/comm to this many characters.
constexpr std::size_t kCommandNameLength = 15;

bool isProcessFolder(const std::filesystem::path& entry) {
    const std::string name = entry.filename().string();
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::filesystem::path executableOf(const std::filesystem::path& processFolder) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(processFolder / "exe", error).string();
    if (error) return {};
    // A replaced executable reads as "<path> (deleted)"; it is still the program that runs.
    static const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.ends_with(deleted))
        target.resize(target.size() - deleted.size());
    return target;
}

std::filesystem::path firstCommandWord(const std::filesystem::path& processFolder) {
    const std::string commandLine = readFile(processFolder / "cmdline");
    return std::filesystem::path(commandLine.substr(0, commandLine.find('\0')));
}

bool isInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    const std::filesystem::path relative = file.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

ProcessTableDetector::ProcessTableDetector(std::filesystem::path processTable)
    : processTable_(std::move(processTable)) {}

bool ProcessTableDetector::isProcessRunning(const std::u16string& executableName,
                                            const std::u16string& folder) const {
    if (executableName.empty()) return false;
    const std::string name = fl::i18n::to_string(executableName);
    const std::filesystem::path folderPath =
        folder.empty() ? std::filesystem::path{}
                       : std::filesystem::path(fl::i18n::to_string(folder)).lexically_normal();

    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(processTable_, error)) {
        // Processes come and go while the table is read; one that vanished simply does not match.
        if (isProcessFolder(entry.path()) && matches(entry.path(), name, folderPath)) return true;
    }
    return false;
}

bool ProcessTableDetector::matches(const std::filesystem::path& processFolder, const std::string& name,
                                   const std::filesystem::path& folder) const {
    std::filesystem::path program = executableOf(processFolder);
    if (program.empty()) program = firstCommandWord(processFolder);
    if (!program.empty()) {
        if (program.filename() != name) return false;
        return folder.empty() || isInside(program.lexically_normal(), folder);
    }
    if (!folder.empty()) return false;
    std::string command = readFile(processFolder / "comm");
    if (!command.empty() && command.back() == '\n') command.pop_back();
    return name.size() <= kCommandNameLength && command == name;
}

}  // namespace install::platformutil
