#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace registration::productconfig {

// The product's programs: the executable files directly in <installFolder>/bin, by name.
std::vector<std::filesystem::path> productPrograms(const std::filesystem::path& installFolder);

struct LinkResult {
    std::vector<std::string> linked;    // names now linked in the folder
    std::vector<std::string> problems;  // one text per program left unlinked
};

// One symbolic link per program in folder, named like the program. A link already there is
// replaced (an earlier installation's); any other file of that name is left alone.
LinkResult linkPrograms(const std::vector<std::filesystem::path>& programs,
                        const std::filesystem::path& folder);

}  // namespace registration::productconfig
