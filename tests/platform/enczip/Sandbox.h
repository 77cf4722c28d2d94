#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace install::enczip::test {

// A private folder with a destination inside and a neighbour beside it that no extraction may
// touch: "outside/secret.txt" is there from the start.
class Sandbox {
public:
    Sandbox()
        : root_(std::filesystem::temp_directory_path() /
                ("enczip-test-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(outside());
        writeText(outside() / "secret.txt", "untouched");
    }
    ~Sandbox() {
        std::error_code ignored;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::filesystem::path root() const { return root_; }
    std::filesystem::path destination() const { return root_ / "dest"; }
    std::filesystem::path outside() const { return root_ / "outside"; }
    std::filesystem::path archive(const std::string& name) const { return root_ / name; }

    static void writeText(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string readText(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }

    // Everything below a folder: relative name -> content, link target or "<dir>".
    static std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
        std::map<std::string, std::string> result;
        for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
            const std::string name = std::filesystem::relative(item.path(), folder).generic_string();
            if (item.is_symlink()) {
                result[name] = "-> " + std::filesystem::read_symlink(item.path()).string();
            } else if (item.is_directory()) {
                result[name] = "<dir>";
            } else {
                result[name] = readText(item.path());
            }
        }
        return result;
    }

private:
    std::filesystem::path root_;
};

}  // namespace install::enczip::test
