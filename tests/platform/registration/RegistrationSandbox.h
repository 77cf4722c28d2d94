#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace registration::productconfig::test {

// An installation folder, a desktop, an applications menu and a command folder, all private.
class RegistrationSandbox {
public:
    explicit RegistrationSandbox(const std::string& installName = "R2026a")
        : root_(std::filesystem::temp_directory_path() /
                ("registration-" + std::to_string(std::random_device{}()))),
          install_(root_ / "opt" / installName) {
        std::filesystem::create_directories(install_ / "bin" / "glnxa64");
        std::filesystem::create_directories(desktop());
        std::filesystem::create_directories(menu());
    }
    ~RegistrationSandbox() { std::filesystem::remove_all(root_); }
    RegistrationSandbox(const RegistrationSandbox&) = delete;
    RegistrationSandbox& operator=(const RegistrationSandbox&) = delete;

    std::filesystem::path root() const { return root_; }
    std::filesystem::path install() const { return install_; }
    std::filesystem::path desktop() const { return root_ / "home" / "Desktop"; }
    std::filesystem::path menu() const { return root_ / "home" / "applications"; }
    std::filesystem::path commands() const { return root_ / "usr" / "local" / "bin"; }

    void program(const std::string& name,
                 std::filesystem::perms permissions = std::filesystem::perms(0755)) const {
        const auto path = install_ / "bin" / name;
        std::ofstream(path) << "#!/bin/sh\n";
        std::filesystem::permissions(path, permissions);
    }

    static std::string read(const std::filesystem::path& path) {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Every name below the sandbox, folders included, except the installation itself.
    std::map<std::string, std::string> outsideInstallation() const {
        std::map<std::string, std::string> state;
        for (const auto& item : std::filesystem::recursive_directory_iterator(root_)) {
            const std::string name = std::filesystem::relative(item.path(), root_).generic_string();
            if (name.starts_with("opt")) continue;
            state[name] = item.is_symlink() ? "link" : item.is_directory() ? "dir" : read(item.path());
        }
        return state;
    }

private:
    std::filesystem::path root_;
    std::filesystem::path install_;
};

}  // namespace registration::productconfig::test
