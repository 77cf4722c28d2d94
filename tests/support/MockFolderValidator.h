#pragma once

#include <gmock/gmock.h>

#include <string>

#include "install/validatefolder/FolderValidator.h"

namespace workflow_test {

// The folder validator as a mock: a test states which refusal checkRequired throws and whether a
// folder deserves the root-drive warning. Gates ask for one per check; see MockSupply.h.
class MockFolderValidator : public install::validatefolder::FolderValidator {
public:
    MOCK_METHOD(bool, checkWarnings, (const std::u16string&), (const, override));
    MOCK_METHOD(void, checkRequired, (const std::u16string&, bool), (const, override));
};

}  // namespace workflow_test
