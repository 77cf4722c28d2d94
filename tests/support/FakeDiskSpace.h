#pragma once

#include <functional>
#include <string>
#include <utility>

#include "install/engine/DiskSpaceValidator.h"

namespace workflow_test {

// The disk-space validator as a function of folder and bytes; every copy a gate is handed answers alike.
struct FakeDiskSpace : install::engine::DiskSpaceValidator {
    explicit FakeDiskSpace(std::function<bool(const std::u16string&, std::uint64_t)> answer)
        : answer(std::move(answer)) {}
    bool hasEnoughDiskSpaceToInstall(const std::u16string& folder, std::uint64_t bytes) const override {
        return answer(folder, bytes);
    }
    std::function<bool(const std::u16string&, std::uint64_t)> answer;
};

}  // namespace workflow_test
