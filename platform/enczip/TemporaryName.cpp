#include "TemporaryName.h"

#include <unistd.h>

#include <random>
#include <string>

namespace install::enczip {

TemporaryName::TemporaryName()
    : prefix_(".enczip-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()) + "-") {}

std::filesystem::path TemporaryName::next(const std::filesystem::path& directory) {
    return directory / (prefix_ + std::to_string(counter_++) + ".part");
}

}  // namespace install::enczip
