#include "ExtractedEntries.h"

#include <system_error>
#include <utility>

namespace install::engine {

ExtractedEntries::ExtractedEntries(std::filesystem::path folder) : folder_(std::move(folder)) {}

void ExtractedEntries::remember(const std::string& entryName) {
    const std::filesystem::path relative =
        std::filesystem::path(entryName).lexically_normal().relative_path();
    // The extraction refused anything leading outside the folder; nothing else is touched here.
    if (relative.empty() || *relative.begin() == "..") return;
    entries_.push_back(folder_ / relative);
}

void ExtractedEntries::removeAll() const {
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        std::error_code error;
        const auto status = std::filesystem::symlink_status(*entry, error);
        if (error) continue;
        if (std::filesystem::is_directory(status)) {
            removeIfEmpty(*entry);
        } else {
            std::filesystem::remove(*entry, error);
        }
        // Folders the extraction made on the way to an entry are not entries of their own.
        for (auto parent = entry->parent_path(); parent != folder_ && parent.has_relative_path() &&
                                                 parent.native().size() > folder_.native().size();
             parent = parent.parent_path()) {
            if (!removeIfEmpty(parent)) break;
        }
    }
}

bool ExtractedEntries::removeIfEmpty(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_empty(folder, error) && !error && std::filesystem::remove(folder, error);
}

}  // namespace install::engine
