#pragma once

#include <string>

namespace install::engine {

// Removes an entry of a folder held open by descriptor: a file or link, or a folder with
// everything in it, never following a link. False when something could not be removed.
bool removeTree(int folder, const std::string& name);

}  // namespace install::engine
