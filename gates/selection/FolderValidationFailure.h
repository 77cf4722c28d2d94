#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace install::product_installer::workflow_utils {

// What the user, the installer log and the diagnostics service are told when the folder
// validator refuses a folder. Kept in one place so that every folder page reports a refusal
// the same way; only the set of refusals each page recognises differs (FolderKinds).
struct FolderValidationFailure {
    std::u16string message;
    std::string code;
    std::string diagnosticsMessage;
    std::string location;
};

// The utility used by pages without their own folder rules recognises fewer refusals than the
// destination-folder page: a non-English character or a trailing dot reaches it as unknown.
enum class FolderKinds { Utility, DestinationGate };

// The record sent for a refusal that no row describes.
inline constexpr char kUnknownFolderFailureCode[] = "680";
inline constexpr char kUnknownFolderFailureMessage[] = "Unknown FolderSelection error";
inline constexpr char kUnknownFolderFailureLocation[] = "FolderSelection::Unknown";

// The row for `error`, tried in the order of the folder-validation table so that the first
// matching kind wins; nothing when the error is not one `kinds` recognises. The
// invalid-character message comes from the caller, whose subclasses may word it differently.
std::optional<FolderValidationFailure> describeFolderValidationFailure(
    const std::exception& error, const std::u16string& folder, FolderKinds kinds,
    const std::function<std::u16string()>& invalidCharacterMessage);

// The message of the invalid-character row: the forbidden characters, each in single quotes.
std::u16string folderInvalidCharacterMessage();

}  // namespace install::product_installer::workflow_utils
