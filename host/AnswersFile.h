#pragma once

#include <filesystem>
#include <stdexcept>

#include "host/InstallerOptions.h"

namespace velora::installer {

// An answers file that cannot be used; the message is one sentence naming what to fix.
class AnswersFileError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The answers file of a scripted run, checked against the answers schema
// (docs/answers.schema.json) before any of it is used: an unknown key is named with the nearest
// known one, a value of the wrong type with the type expected, a syntax error with its line and
// column. Messages never quote the file's content, which may name a password file.
class AnswersFile {
public:
    // Throws AnswersFileError.
    static void apply(const std::filesystem::path& file, InstallerOptions& options);
};

}  // namespace velora::installer
