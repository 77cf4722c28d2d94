#include "LaunchTarget.h"

#include <unistd.h>

#include <cctype>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace registration::productconfig {
namespace {

// A value of a desktop-entry key: the format's own escapes for control characters and '\'.
std::string escapeValue(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// One argument of the Exec key: quoted when it holds a reserved character, with '"', '`', '$'
// and '\' escaped inside the quotes, and '%' doubled since it introduces field codes.
std::string execArgument(const std::string& argument) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string text;
    for (const char c : argument) {
        if (c == '%') {
            text += "%%";
        } else {
            text += c;
        }
    }
    if (text.find_first_of(reserved) == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string desktopEntryText(const LaunchTarget& target) {
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.5\n";
    text += "Name=" + escapeValue(target.name) + "\n";
    text += "Comment=" + escapeValue(target.comment) + "\n";
    text += "Exec=" + escapeValue(execArgument(target.program.string())) + "\n";
    text += "Path=" + escapeValue(target.program.parent_path().string()) + "\n";
    if (!target.icon.empty()) text += "Icon=" + escapeValue(target.icon.string()) + "\n";
    text += "Terminal=false\nStartupNotify=true\nCategories=Development;Science;\n";
    return text;
}

fs::path placeFile(const fs::path& folder, const std::string& fileName, const std::string& text,
                   fs::perms permissions) {
    if (folder.empty()) throw std::runtime_error("the host names no folder for it");
    fs::create_directories(folder);
    const fs::path finalPath = folder / fileName;
    const fs::path temporary = folder / ("." + fileName + "." + std::to_string(::getpid()) + ".part");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            fs::remove(temporary);
            throw fs::filesystem_error("Cannot write", temporary, std::make_error_code(std::errc::io_error));
        }
    }
    try {
        fs::permissions(temporary, permissions);
        fs::rename(temporary, finalPath);
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
    return finalPath;
}

std::string launcherId(const std::string& text) {
    std::string id;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_') {
            id += static_cast<char>(c);
        } else if (c == '/' || c == ' ') {
            if (!id.empty() && id.back() != '-') id += '-';
        } else {
            id += '_';
        }
    }
    while (!id.empty() && id.back() == '-') id.pop_back();
    return id;
}

}  // namespace registration::productconfig
