#pragma once

// What every selection page test uses: the shared doubles and fixture, the tests' product
// catalogue, and small helpers that keep a table row on one line.

#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "fl/i18n/Message.h"
#include "install/productidentifier/ProductCatalogue.h"
#include "support/GateFixture.h"
#include "support/MockEngine.h"
#include "support/MockFolderValidator.h"
#include "support/MockRepositoryAdapter.h"
#include "support/MockSupply.h"
#include "support/ScratchFolder.h"
#include "workflow_core/PathJoin.h"

namespace selection_test {

using install::datamodels::common::Result;
using install::product_installer::workflow_utils::DataModelHandler;
using install::product_installer::workflow_utils::joinPath;
using testing::_, testing::ElementsAre, testing::Return;
using workflow_test::ErrorRecord, workflow_test::MockFolderValidator, workflow_test::MockSupply;
using workflow_test::ShownStatus;
using Texts = std::vector<std::u16string>;

// The products the selection pages reason about. Velora heads a family that Flowmere belongs
// to; the parallel server may join Velora's folder; the compiler and the analysis products need
// Velora (the test product also the bug finder); the client needs the server. GHOST, in some
// repositories, is unknown here.
inline std::shared_ptr<const install::productidentifier::ProductCatalogue> selectionCatalogue(
    const std::string& velorasWindowsExecutable = "velora.exe") {
    const std::string velora =
        R"({"baseCode": "VELORA", "name": "Velora", "family": "Velora", "controlling": true, "requiredForMacOSApp": true,
        "relativePath": {"linux": "velora", "windows": "Velora", "macos": "Velora"},
        "registry": {"keyRoot": "HKEY_LOCAL_MACHINE", "key": "SOFTWARE\\Kestrelix\\Velora", "subRoot": "InstallationFolder"},
        "detectRunningExe": {"l64pc": "bin/linux/velora", "w64pc": "bin\\windows\\)" +
        velorasWindowsExecutable + R"("}})";
    return std::make_shared<const install::productidentifier::ProductCatalogue>(
        install::productidentifier::ProductCatalogue::fromJson(R"({"products": [)" + velora + R"(,
        {"baseCode": "VELORA_PARALLEL_SERVER", "name": "Velora Parallel Server", "family": "Velora Parallel Server", "controlling": true},
        {"baseCode": "VELORA_RUNTIME", "name": "Velora Runtime", "family": "Velora Runtime", "controlling": true},
        {"baseCode": "QUARRIX", "name": "Quarrix", "family": "Quarrix", "controlling": true},
        {"baseCode": "LICENSEMANAGER", "name": "License Manager", "family": "License Manager"},
        {"baseCode": "FLOWMERE", "name": "Flowmere", "family": "Velora", "dependencies": ["VELORA"]},
        {"baseCode": "COMPILER", "name": "Velora Compiler", "dependencies": ["VELORA"]},
        {"baseCode": "BUGFINDER", "name": "Quarrix Bug Finder", "dependencies": ["VELORA"]},
        {"baseCode": "TEST", "name": "Quarrix Test", "dependencies": ["VELORA", "BUGFINDER"]},
        {"baseCode": "CLIENT", "name": "abacus client", "dependencies": ["VELORA_PARALLEL_SERVER"]}]})"));
}

// Base codes written as one line, "VELORA FLOWMERE", so that a table row stays on one line.
inline std::vector<std::u16string> codes(const std::string& spaced) {
    std::vector<std::u16string> list;
    std::istringstream words(spaced);
    for (std::string word; words >> word;) list.emplace_back(word.begin(), word.end());
    return list;
}

// A table column for a refusal: throws a `Kind` made of `reasons`.
template <class Kind, class... Reasons>
std::function<void()> raising(Reasons... reasons) {
    return [=] { throw Kind(reasons...); };
}

// Each test file's unnamed namespace brings the row printer in with `using selection_test::PrintTo;`.
using workflow_test::PrintTo, workflow_test::rowName;

}  // namespace selection_test
