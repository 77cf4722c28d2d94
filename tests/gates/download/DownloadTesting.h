#pragma once

// What the download page tests share: a model of release "2031.1" holding the online repository
// (the test's), the platforms "w64pc l64pc m64ar" and a proxy with both credentials; a reader of a
// gate's session figures; and table rows that print as their names.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <regex>

#include "fl/i18n/Message.h"
#include "install/tlmx/DiagnosticsData.h"
#include "support/GateFixture.h"
#include "support/MockRepositoryAdapter.h"
#include "support/ValueText.h"

namespace download_test {

using workflow_test::joined;
using workflow_test::ShownStatus;
using Codes = std::vector<std::u16string>;

class DownloadFixture : public workflow_test::GateFixture {
protected:
    DownloadFixture() {
        handler->setProductRepoAdapterInstance(repository);
        handler->initializeProxy();
        independent().getProxy().setUserName(u"jdoe");
        independent().getProxy().setPassword(u"p4ss");
        handler->initializeDownloadFolderModel();
        handler->initializeProductSelectionModel();
        auto platforms = dependent().getDownloadPlatforms().modify();
        for (const auto* code : {u"w64pc", u"l64pc", u"m64ar"}) platforms.append(code);
        platforms.commit();
    }
    // Every figure as "key=value", in key order, a time stamp as "time".
    static std::string entries(const install::tlmx::DiagnosticsData::Map& data) {
        std::string text;
        for (const auto& [key, value] : data) {
            text += (text.empty() ? "" : " ") + install::tlmx::keyName(key) + "=" + value.dump();
        }
        return std::regex_replace(text, std::regex(R"("\d{4}-\d\d-\d\d \d\d:\d\d:\d\d")"), "time");
    }
    std::string records() const { return joined(recordTexts()); }

    std::shared_ptr<workflow_test::MockRepositoryAdapter> repository =
        std::make_shared<testing::NiceMock<workflow_test::MockRepositoryAdapter>>();
};

template <class Row>
requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

inline constexpr auto rowName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace download_test
