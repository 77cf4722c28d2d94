#pragma once

#include <string>
#include <vector>

#include "ConfinedFolder.h"

namespace install::engine {

// Every symbolic link in an installation folder, whoever put it there: a link harmless on its
// own can lead outside once a later archive re-points a link it goes through.
class DestinationLinks {
public:
    // The links that lead outside, paths from the folder; staging folders are left out.
    static std::vector<std::string> escaping(const enczip::ConfinedFolder& destination);
};

}  // namespace install::engine
