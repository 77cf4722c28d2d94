// The packaged application's bundle: its manifest read into the application's record.
#include "host/ApplicationBundle.h"

#include <charconv>
#include <pugixml.hpp>
#include <system_error>

#include "fl/i18n/TextConversion.h"
#include "install/platformutil/DefaultDirectoryProvider.h"

namespace velora::installer {

namespace fs = std::filesystem;

ApplicationBundleError::~ApplicationBundleError() = default;

namespace {

std::u16string text(const pugi::xml_node& root, const char* name) {
    return fl::i18n::to_u16string(root.child(name).text().as_string());
}

std::uint64_t bytes(const pugi::xml_node& root, const fs::path& manifest) {
    const std::string value = root.child("RequiredDiskSpace").text().as_string();
    std::uint64_t count = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
    if (error != std::errc{} || end != value.data() + value.size())
        throw ApplicationBundleError(manifest.string() +
                                     " gives no byte count in <RequiredDiskSpace>: write " +
                                     "the bytes the application needs there.");
    return count;
}

}  // namespace

void ApplicationBundle::describe(const fs::path& bundle,
                                 const install::datamodels::product_installer::UserApplicationData& record) {
    const fs::path folder = fs::absolute(bundle).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(folder / "application", error))
        throw ApplicationBundleError(folder.string() +
                                     " holds no \"application\" folder: give the unpacked " +
                                     "bundle of the packaged application with --app-bundle.");
    const fs::path manifest = folder / kManifestName;
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(manifest.c_str());
    const pugi::xml_node root = document.child("ApplicationInstallerManifest");
    if (!parsed || !root)
        throw ApplicationBundleError(
            manifest.string() + " cannot be read as an application manifest (" +
            (parsed ? std::string("no <ApplicationInstallerManifest>") : std::string(parsed.description())) +
            "): give a bundle with a valid manifest.");
    std::u16string target = text(root, "InstallationFolder");
    if (target.empty() || fs::path(target).is_relative()) {
        const install::platformutil::DefaultDirectoryProvider directories;
        target = (fs::path(directories.getPlatformInstallationDirectory(
                      install::platformutil::getCurrentPlatform())) /
                  (target.empty() ? text(root, "Name") : target))
                     .u16string();
    }
    record.setExtractedBundleDirectory(folder.u16string());
    record.setStaticExtractedBundleDirectory(folder.u16string());
    record.setApplicationName(text(root, "Name"));
    record.setApplicationVersion(text(root, "Version"));
    record.setMainProgram(text(root, "MainProgram"));
    record.setIcon(text(root, "Icon"));
    record.setRequiredDiskSpace(bytes(root, manifest));
    record.setDefaultInstallationDirectory(target);
    record.setInstallationDirectory(target);
    auto required = record.getAppRequiredProducts().modify();
    for (const pugi::xml_node product : root.child("RequiredProducts").children("Product"))
        required.insert(fl::i18n::to_u16string(product.text().as_string()));
    required.commit();
}

}  // namespace velora::installer
