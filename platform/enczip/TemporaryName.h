#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace install::enczip {

// Hands out names for work in progress: hidden, tagged with the process, never reused within
// one extraction, so two extractions into the same folder do not collide.
class TemporaryName {
public:
    TemporaryName();
    std::filesystem::path next(const std::filesystem::path& directory);

private:
    std::string prefix_;
    std::uint64_t counter_ = 0;
};

}  // namespace install::enczip
