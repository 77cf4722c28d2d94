#pragma once

#include <string_view>

// The installer log's fixed texts. Each ends in a blank so that a path can follow directly.
// They have internal linkage on purpose: every source unit that includes this header holds its
// own copy, as the log's callers expect.
namespace install::cpputil::logger {

constexpr std::u16string_view kUnableToCreateLogFile =
    u"Unable to create specified file for installation log ";
constexpr std::u16string_view kUnableToCreateLogFolder =
    u"Unable to create specified folder for installation log ";
constexpr std::u16string_view kResetDestinationFileLog = u"Reset destination file log ";

}  // namespace install::cpputil::logger
