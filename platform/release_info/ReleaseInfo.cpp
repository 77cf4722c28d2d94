#include "foundation/release_info/ReleaseInfo.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>
#include <utility>

#include <pugixml.hpp>

#include "fl/i18n/TextConversion.h"

namespace foundation::release_info {
namespace {

constexpr const char* kRoot = "VersionInfo";
constexpr const char* kRelease = "Release";
constexpr const char* kReleaseStatus = "ReleaseStatus";
constexpr const char* kUpdateLevel = "UpdateLevel";
constexpr const char* kVersion = "Version";
// Values exactly as the file holds them: white space kept even when it is all a value holds, and
// line ends not rewritten (a "&#13;" stays a carriage return), so that what write() produces
// reads back as the same release.
constexpr unsigned kParseOptions = (pugi::parse_default | pugi::parse_ws_pcdata) & ~pugi::parse_eol;

std::u16string childText(const pugi::xml_node& root, const char* name) {
    return fl::i18n::to_u16string(root.child(name).child_value());
}

std::int32_t parseUpdateLevel(const pugi::xml_node& root) {
    const pugi::xml_node node = root.child(kUpdateLevel);
    if (!node) return 0;
    std::string text = node.child_value();
    const auto first = text.find_first_not_of(" \t\r\n");
    const auto last = text.find_last_not_of(" \t\r\n");
    text = first == std::string::npos ? std::string{} : text.substr(first, last - first + 1);
    std::int32_t level = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), level);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || level < 0) {
        throw ReleaseInfoException("VersionInfo.xml: update level \"" + text +
                                   "\" is not a non-negative number");
    }
    return level;
}

}  // namespace

ReleaseInfo::ReleaseInfo(std::istream& stream) {
    std::ostringstream content;
    content << stream.rdbuf();
    if (stream.bad()) throw ReleaseInfoException("VersionInfo.xml: the stream cannot be read");
    const std::string text = content.str();

    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(text.data(), text.size(), kParseOptions);
    if (!result) {
        throw ReleaseInfoException(std::string("VersionInfo.xml: ") + result.description() + " at offset " +
                                   std::to_string(result.offset));
    }
    const pugi::xml_node root = document.child(kRoot);
    if (!root) throw ReleaseInfoException("VersionInfo.xml: the root element is not <VersionInfo>");

    releaseFamily_ = childText(root, kRelease);
    releaseStatus_ = childText(root, kReleaseStatus);
    updateLevel_ = parseUpdateLevel(root);
    version_ = childText(root, kVersion);
}

ReleaseInfo::ReleaseInfo(std::u16string releaseFamily, std::u16string releaseStatus, std::int32_t updateLevel,
                         std::u16string version)
    : releaseFamily_(std::move(releaseFamily)),
      releaseStatus_(std::move(releaseStatus)),
      updateLevel_(updateLevel),
      version_(std::move(version)) {}

const std::u16string& ReleaseInfo::getReleaseFamily() const { return releaseFamily_; }
const std::u16string& ReleaseInfo::getReleaseStatus() const { return releaseStatus_; }
std::int32_t ReleaseInfo::getUpdateLevel() const { return updateLevel_; }
const std::u16string& ReleaseInfo::getVersion() const { return version_; }

void ReleaseInfo::write(std::ostream& stream) const {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child(kRoot);
    root.append_child(kRelease).text().set(fl::i18n::to_string(releaseFamily_).c_str());
    root.append_child(kReleaseStatus).text().set(fl::i18n::to_string(releaseStatus_).c_str());
    root.append_child(kUpdateLevel).text().set(std::to_string(updateLevel_).c_str());
    root.append_child(kVersion).text().set(fl::i18n::to_string(version_).c_str());
    document.save(stream, "    ");
}

ReleaseInfoException::~ReleaseInfoException() = default;

}  // namespace foundation::release_info
