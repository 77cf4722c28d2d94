#include "RegistrationRemoval.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "Sha256.h"

namespace fs = std::filesystem;

namespace install::engine {
namespace {

std::string contentOf(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace

RegistrationRemoval::~RegistrationRemoval() {
    if (kept_) return;
    for (const Removed& removed : removed_) {
        std::error_code ignored;
        const fs::path path = removed.registration.path;
        if (removed.registration.kind == InstalledRegistration::Kind::CommandLink) {
            fs::create_symlink(removed.registration.target, path, ignored);
            continue;
        }
        std::ofstream(path, std::ios::binary) << removed.content;
        fs::permissions(path, removed.permissions, ignored);
    }
}

bool RegistrationRemoval::remove(const InstalledRegistration& registration, std::string& why) {
    const fs::path path = registration.path;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!fs::exists(status)) return true;
    Removed removed{registration, {}, status.permissions()};
    if (registration.kind == InstalledRegistration::Kind::CommandLink) {
        if (!fs::is_symlink(status) || fs::read_symlink(path, error) != fs::path(registration.target)) {
            why = "no longer a link to " + registration.target;
            return false;
        }
    } else if (!fs::is_regular_file(status) || enczip::Sha256::ofBytes(removed.content = contentOf(path)) !=
                                                   enczip::Sha256::normalized(registration.sha256)) {
        why = "changed since the installation";
        return false;
    }
    if (!fs::remove(path, error) || error) {
        why = "cannot be removed: " + error.message();
        return false;
    }
    removed_.push_back(std::move(removed));
    return true;
}

}  // namespace install::engine
