#include "host/HeadlessFrontEnd.h"

#include <set>

#include "fl/i18n/Message.h"
#include "fl/i18n/TextConversion.h"
#include "host/AccountSignIn.h"
#include "install/cpputil/Logger.h"

namespace velora::installer {

namespace {

// The validation result types of the warnings a person may confirm and go on.
constexpr int kRootDriveWarning = 4;
constexpr int kMissingControllingProducts = 6;
constexpr int kMissingDependentProducts = 7;
constexpr int kDependentNotInstallable = 22;

std::string utf8(const std::u16string& text) { return fl::i18n::to_string(text); }

// Titles may carry the blanks of an empty argument.
std::string title(const std::u16string& text) {
    std::string result = utf8(text);
    const auto first = result.find_first_not_of(" \t");
    const auto last = result.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : result.substr(first, last - first + 1);
}

std::u16string utf16(const std::string& text) { return fl::i18n::to_u16string(text); }

// Multi-part confirmation values are joined with this delimiter. The readable text is built by
// appending rather than by replacing in place: g++ 12 at -O3 takes an in-place replace by a
// shorter text for an overlapping copy (-Wrestrict), which breaks optimised builds.
std::string readableValue(const std::u16string& value) {
    const std::string text = utf8(value);
    const std::string delimiter = "|?:";
    std::string readable;
    readable.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, from)) {
        readable.append(text, from, at - from);
        readable += ' ';
        from = at + delimiter.size();
    }
    readable.append(text, from, std::string::npos);
    return readable;
}

}  // namespace

HeadlessFrontEnd::HeadlessFrontEnd(
    const InstallerOptions& options,
    std::shared_ptr<install::product_installer::workflow_utils::DataModelHandler> handler,
    install::datamodels::product_installer::ProductInstaller root, std::ostream& out,
    const BrowserProxy& browserProxy)
    : options_(options),
      handler_(std::move(handler)),
      root_(std::move(root)),
      out_(out),
      browserProxy_(browserProxy) {}

void HeadlessFrontEnd::supplyAnswers(const std::u16string& gateName) {
    if (options_.switchWorkflow && !workflowSwitched_ && gateName == utf16(options_.switchWorkflow->step)) {
        // The user leaves this page for another workflow instead of answering it; the committed
        // name makes the switch listener do the rest. Once only: the new workflow may have a page
        // of the same name, which the user then answers.
        workflowSwitched_ = true;
        handler_->setWorkflow(utf16(options_.switchWorkflow->workflow));
        return;
    }
    if (gateName == u"SLAGate") {
        root_.getWorkflowIndependentData().setIsAgreeToLicense(options_.agreeToLicense);
    } else if (gateName == u"FolderSelectionGate") {
        // A person who types nothing accepts the proposed folder.
        handler_->setUserInputFolder(options_.destination.empty() ? handler_->getDefaultFolder()
                                                                  : utf16(options_.destination));
    } else if (gateName == u"DownloadFolderGate") {
        handler_->setUserGivenDownloadFolder(options_.downloadFolder.empty()
                                                 ? handler_->getDefaultDownloadFolder()
                                                 : utf16(options_.downloadFolder));
    } else if (gateName == u"PlatformSelectionGate") {
        const std::vector<std::string> chosen =
            options_.platforms.empty() ? std::vector<std::string>{"l64pc"} : options_.platforms;
        handler_->setDefaultPlatform(utf16(chosen.front()));
        auto platforms = root_.getWorkflowDependentData().getDownloadPlatforms().modify();
        for (std::size_t index = 1; index < chosen.size(); ++index) platforms.append(utf16(chosen[index]));
        platforms.commit();
    } else if (gateName == u"ProductSelectionGate" || gateName == u"DownloadProductSelectionGate") {
        if (!options_.products.empty()) {
            std::set<std::u16string> products;
            for (const auto& product : options_.products) products.insert(utf16(product));
            handler_->initializeSelectedProducts(products);
        }
    } else if (gateName == u"OptionSelectionGate") {
        handler_->setIsDesktopShortcutSelected(options_.desktopShortcut);
        handler_->setIsStartMenuShortcutSelected(options_.startMenuShortcut);
        handler_->setIsSymbolicLinkSelected(!options_.symbolicLinkFolder.empty());
        handler_->setSymbolicLinkPath(utf16(options_.symbolicLinkFolder));
        handler_->setIsImproveVeloraSelected(options_.improveVelora);
    } else if (gateName == u"ProxyGate") {
        auto proxy = root_.getWorkflowIndependentData().getProxy();
        if (!proxy) {
            handler_->initializeProxy();
            proxy = root_.getWorkflowIndependentData().getProxy();
        }
        proxy.setUserName(utf16(options_.proxyUser));
        proxy.setPassword(utf16(options_.proxyPassword));
    } else if (gateName == u"LoginGate") {
        signIn();
    } else if (gateName == u"RuntimeProductSelectionGate") {
        // The runtime's products are fixed; the page is shown only to say why nothing is done.
        const auto dependent = root_.getWorkflowDependentData();
        if (dependent.hasQrtErrorItem()) out_ << utf8(dependent.getQrtErrorItem().getErrorMessage()) << '\n';
    } else if (gateName == u"UserAppFolderSelectionGate") {
        if (!options_.appDestination.empty())
            handler_->setUserInputInstallationDirectory(utf16(options_.appDestination));
    }
}

void HeadlessFrontEnd::signIn() {
    const auto independent = root_.getWorkflowIndependentData();
    if (!independent.getUserInfo()) handler_->initializeLoginModelForResponseParameters();
    if (!independent.getLoginError()) handler_->initializeLoginError();
    const auto error = independent.getLoginError();
    if (options_.account.empty() || options_.accountPassword.empty()) {
        error.setErrorFromUser(true);
        out_ << "Sign-in: give the account's e-mail address with --account and its password in a file for "
                "--account-password-file or in VELORA_ACCOUNT_PASSWORD.\n"
             << std::flush;
        return;
    }
    const auto endPoint = utf8(independent.getLoginRequestParameters().getEndPoint());
    const SignInOutcome outcome =
        AccountSignIn(endPoint, browserProxy_.route()).signIn(options_.account, options_.accountPassword);
    switch (outcome.result) {
        case SignInOutcome::Result::SignedIn: {
            const auto user = independent.getUserInfo();
            user.setAccessToken(utf16(outcome.accessToken));
            user.setEmail(utf16(outcome.email.empty() ? options_.account : outcome.email));
            user.setFirstName(utf16(outcome.firstName));
            user.setLastName(utf16(outcome.lastName));
            out_ << "Signed in as " << outcome.firstName << ' ' << outcome.lastName << " ("
                 << utf8(user.getEmail()) << ").\n";
            break;
        }
        case SignInOutcome::Result::Refused:
            error.setErrorFromUser(true);
            out_ << "Sign-in refused for " << options_.account << " (" << outcome.details
                 << "): check the e-mail address given with --account and the password in the file of "
                    "--account-password-file or in VELORA_ACCOUNT_PASSWORD.\n";
            break;
        case SignInOutcome::Result::BackendError:
            error.setErrorFromBackend(true);
            error.setBackendDetails(utf16(outcome.details));
            break;
    }
    out_ << std::flush;
}

bool HeadlessFrontEnd::acknowledgeWarning(const std::u16string&) {
    switch (static_cast<int>(root_.getWorkflowIndependentData().getValidationResultType())) {
        case kRootDriveWarning:
            handler_->setRootDriveWarningAcknowledgementToTrue();
            return true;
        case kMissingControllingProducts:
        case kMissingDependentProducts:
            handler_->setMissingProductWarning(true);
            return true;
        case kDependentNotInstallable:
            handler_->setMissingNotInstalledShown(true);
            return true;
        default:
            // Any other warning asks the user to change an answer, which a scripted run cannot.
            return false;
    }
}

void HeadlessFrontEnd::show(const char* kind, const std::u16string& title, const std::u16string& message) {
    // A person reads the title and the message; the result type is for the log and the events.
    const auto type = static_cast<int>(root_.getWorkflowIndependentData().getValidationResultType());
    install::cpputil::logger::append_message(utf16(std::string(kind) + " (result type " +
                                                   std::to_string(type) + ")" + (title.empty() ? "" : ": ")) +
                                             title);
    out_ << kind << ": " << utf8(title.empty() ? message : title) << '\n';
    if (!title.empty() && !message.empty()) out_ << "  " << utf8(message) << '\n';
    out_ << std::flush;
}

void HeadlessFrontEnd::showFailure(const std::u16string& title, const std::u16string& message) {
    show("Failure", title, message);
}

void HeadlessFrontEnd::showWarning(const std::u16string& title, const std::u16string& message) {
    const int type = static_cast<int>(root_.getWorkflowIndependentData().getValidationResultType());
    if (type == kMissingControllingProducts || type == kMissingDependentProducts) {
        // The page's text asks the user to select them or click Next; this run goes on by itself.
        show("Warning", title, utf16(missingProductsNote()));
        return;
    }
    show("Warning", title, message);
}

void HeadlessFrontEnd::showInformation(const std::string& text) { out_ << text << '\n' << std::flush; }

std::string HeadlessFrontEnd::missingProductsNote() const {
    const auto dependent = root_.getWorkflowDependentData();
    const auto shown = dependent.getProductSelection().getProductToDisplayList().values();
    std::string names;
    std::size_t count = 0;
    for (const auto& code : dependent.getMissingProducts().values()) {
        std::u16string name = code;
        for (const auto& product : shown) {
            if (product.getBaseCode() == code) name = product.getProductName();
        }
        names += (names.empty() ? "" : ", ") + utf8(name);
        ++count;
    }
    return "The selected products need " + names + (count == 1 ? ", which is" : ", which are") +
           " not selected: the installation goes on without " + (count == 1 ? "it." : "them.");
}

void HeadlessFrontEnd::stepCompleted(const std::u16string& gateName) {
    if (gateName == u"ConfirmationGate") printConfirmation();
}

void HeadlessFrontEnd::printConfirmation() const {
    const auto dependent = root_.getWorkflowDependentData();
    const auto confirmation =
        dependent ? dependent.getConfirmationData() : decltype(dependent.getConfirmationData()){};
    if (!confirmation) return;
    out_ << utf8(fl::i18n::message("confirmationTitle")) << '\n';
    for (const auto& item : confirmation.getConfirmationItemToDisplayList().values()) {
        const auto value = readableValue(item.getConfirmationValue());
        switch (item.getConfirmationType()) {
            case 0:
                out_ << "  " << title(fl::i18n::message("destinationFolderTitle", "")) << ": " << value
                     << '\n';
                break;
            case 3: {
                std::string products;
                for (const auto& product : handler_->getSelectedProducts())
                    products += (products.empty() ? "" : ", ") + utf8(product);
                out_ << "  " << title(fl::i18n::message("productsTitle")) << ": " << value << " (" << products
                     << ")\n";
                break;
            }
            case 6:
                out_ << "  " << title(fl::i18n::message("platformsTitle")) << ": " << value << '\n';
                break;
            default:
                out_ << "  " << value << '\n';
                break;
        }
    }
    out_ << std::flush;
}

}  // namespace velora::installer
