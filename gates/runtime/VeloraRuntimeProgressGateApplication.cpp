// The packaged application of the Vantapak workflow: its copy from the unpacked bundle into the
// installation folder, and the uninstaller of an application that comes with its own program.
#include <exception>
#include <filesystem>

#include "fl/filesystem/Filesystem.h"
#include "fl/i18n/TextConversion.h"
#include "gates/runtime/VeloraRuntimeProgressGate.h"
#include "install/cpputil/LogMessages.h"
#include "install/enczip/Extract.h"
#include "install/platformutil/PlatformUtility.h"
#include "workflow_core/PathJoin.h"

namespace install::product_installer::workflow_utils {

namespace {

constexpr char16_t kApplicationFolder[] = u"application";
constexpr char16_t kGettingStartedGuide[] = u"GettingStarted.html";
constexpr char16_t kManifest[] = u"ApplicationInstallerManifest.xml";
constexpr char16_t kUninstallerArchive[] = u"app_uninstaller.zip";
constexpr char16_t kUninstallFolder[] = u"uninstall";
constexpr char16_t kInstallFailed[] = u"Failed to install user application.";

std::u16string failingPath(const std::filesystem::filesystem_error& error, const std::u16string& otherwise) {
    return error.path1().empty() ? otherwise : fl::i18n::to_u16string(error.path1().string());
}

}  // namespace

void VeloraRuntimeProgressGate::installUserApp() {
    const std::u16string bundle = userApplication.getExtractedBundleDirectory();
    const std::u16string installation = userApplication.getInstallationDirectory();
    const auto source = joinPath(bundle, kApplicationFolder);
    const auto target = joinPath(installation, kApplicationFolder);
    try {
        if (!fl::filesystem::is_directory(target)) {
            fl::filesystem::create_directories(target);
            log_message(u"Successfully created directory " + target);
        }
    } catch (const std::filesystem::filesystem_error& error) {
        log_message(u"Failed to create directory " + failingPath(error, target));
        log_message(kInstallFailed);
        return;
    }

    try {
        fl::filesystem::copy_folder(source, target);
        const std::u16string icon = userApplication.getIcon();
        if (!icon.empty()) {
            fl::filesystem::copy_file(joinPath(bundle, icon),
                                      joinPath(installation, fl::filesystem::filename(icon)));
        }
        const auto guide = joinPath(target, kGettingStartedGuide);
        if (fl::filesystem::exists(guide)) userApplication.setGettingStartedGuideLocation(guide);
        log_message(u"Successfully installed user application at " + target);
    } catch (const std::filesystem::filesystem_error& error) {
        const std::u16string path = failingPath(error, u"");
        log_message(fl::i18n::to_u16string(error.what()) + (path.empty() ? u"" : u": " + path));
        log_message(kInstallFailed);
    } catch (const std::exception&) {
        log_message(kInstallFailed);
    }
}

bool VeloraRuntimeProgressGate::isStandaloneApplication() const {
    const std::u16string program = userApplication.getMainProgram();
    if (program.empty()) return false;
    try {
        return fl::filesystem::is_regular_file(
            joinPath(userApplication.getExtractedBundleDirectory(), program));
    } catch (const std::exception&) {
        return false;
    }
}

void VeloraRuntimeProgressGate::setupAppUninstaller() const {
    const std::u16string bundle = userApplication.getExtractedBundleDirectory();
    const auto archive = fl::i18n::to_string(joinPath(getInstallPathWrapper(), kUninstallerArchive));
    const auto uninstallFolder = joinPath(userApplication.getInstallationDirectory(), kUninstallFolder);
    try {
        if (!fl::filesystem::is_directory(uninstallFolder))
            fl::filesystem::create_directories(uninstallFolder);
    } catch (const std::filesystem::filesystem_error& error) {
        log_message(u"Failed to create directory " + failingPath(error, uninstallFolder));
        return;
    }
    try {
        fl::filesystem::copy_file(joinPath(bundle, kManifest), joinPath(uninstallFolder, kManifest));
    } catch (const std::filesystem::filesystem_error& error) {
        log_message(failingPath(error, joinPath(bundle, kManifest)));
        log_message(u"Failed to copy application manifest file.");
    }
    try {
        extract(archive, fl::i18n::to_string(uninstallFolder));
    } catch (const std::filesystem::filesystem_error& error) {
        log_message(u"Failed to extract Uninstaller with error: " + fl::i18n::to_u16string(error.what()));
    } catch (const std::exception& error) {
        log_message(u"Failed to extract app_uninstaller.zip with error: " +
                    fl::i18n::to_u16string(error.what()));
    }
}

void VeloraRuntimeProgressGate::extract(const std::string& archive, const std::string& destination) const {
    install::enczip::extract(archive, destination);
}

std::u16string VeloraRuntimeProgressGate::getInstallPathWrapper() const {
    return install::platformutil::PlatformUtility::getInstallationPath().u16string();
}

}  // namespace install::product_installer::workflow_utils
