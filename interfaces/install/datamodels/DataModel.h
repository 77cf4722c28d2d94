#pragma once

// The installer's data model: every element class, its properties and collections, in one
// place. A class is declared after the classes it holds. See tq/zero/ElementMacros.h for the
// kinds of line.

#include "install/datamodels/Enums.h"
#include "tq/zero/ElementMacros.h"

// clang-format off

namespace install::datamodels::common {

TQ_ELEMENT("install::datamodels::common", ValidationStatus, ::tq::zero::Element,
           (PROPERTY, Result, result, Result)
           (PROPERTY, std::u16string, title, Title)
           (PROPERTY, std::u16string, message, Message))

TQ_ELEMENT("install::datamodels::common", ApplicationData, ::tq::zero::Element,
           (PROPERTY, std::u16string, dataRequired, DataRequired)
           (PROPERTY, std::u16string, dataAvailable, DataAvailable)
           (PROPERTY, std::u16string, dataProcessed, DataProcessed)
           (PROPERTY, std::u16string, workflowName, WorkflowName)
           (PROPERTY, bool, isDataModified, IsDataModified)
           (CHILD, ValidationStatus, validationStatus, ValidationStatus))

TQ_ELEMENT("install::datamodels::common", Release, ::tq::zero::Element,
           (PROPERTY, std::u16string, family, Family)
           (PROPERTY, std::u16string, status, Status)
           (PROPERTY, std::int8_t, updateLevel, UpdateLevel))

TQ_ELEMENT("install::datamodels::common", SessionData, ::tq::zero::Element,
           (PROPERTY, std::u16string, sessionKey, SessionKey))

}  // namespace install::datamodels::common

namespace install::datamodels::login {

TQ_ELEMENT("install::datamodels::login", LoginRequestParameters, ::tq::zero::Element,
           (PROPERTY, std::u16string, endPoint, EndPoint)
           (PROPERTY, std::int8_t, loginLevel, LoginLevel)
           (PROPERTY, bool, showCreateAccount, ShowCreateAccount)
           (PROPERTY, bool, showRememberMe, ShowRememberMe)
           (PROPERTY, bool, identifierReadOnly, IdentifierReadOnly))

TQ_ELEMENT("install::datamodels::login", LoggedInUserInfo, ::tq::zero::Element,
           (PROPERTY, std::u16string, accessToken, AccessToken)
           (PROPERTY, std::u16string, email, Email)
           (PROPERTY, std::u16string, firstName, FirstName)
           (PROPERTY, std::u16string, lastName, LastName))

}  // namespace install::datamodels::login

namespace install::datamodels::product_installer {

using common::ApplicationData;
using common::Release;
using common::SessionData;

TQ_ELEMENT("install::datamodels::product_installer", LoginError, ::tq::zero::Element,
           (PROPERTY, bool, errorFromBackend, ErrorFromBackend)
           (PROPERTY, bool, errorFromUser, ErrorFromUser)
           (PROPERTY, std::u16string, backendDetails, BackendDetails))

TQ_ELEMENT("install::datamodels::product_installer", Proxy, ::tq::zero::Element,
           (PROPERTY, std::u16string, userName, UserName)
           (PROPERTY, std::u16string, password, Password))

TQ_ELEMENT("install::datamodels::product_installer", QRTErrorItem, ::tq::zero::Element,
           (PROPERTY, QRTErrorType, errorType, ErrorType)
           (PROPERTY, std::u16string, errorMessage, ErrorMessage))

// The packaged application the Vantapak workflow installs with the runtime: the bundle the
// installer unpacked (extractedBundleDirectory, holding the "application" folder, the icon file
// and, for an application that comes with its own program, mainProgram), where it goes
// (installationDirectory), its name and version, the bytes it needs, and where its getting-started
// guide landed once installed.
TQ_ELEMENT("install::datamodels::product_installer", UserApplicationData, ::tq::zero::Element,
           (PROPERTY, std::u16string, icon, Icon)
           (PROPERTY, std::u16string, logo, Logo)
           (PROPERTY, std::u16string, welcomePanelText, WelcomePanelText)
           (PROPERTY, std::u16string, extractedBundleDirectory, ExtractedBundleDirectory)
           (PROPERTY, std::u16string, staticExtractedBundleDirectory, StaticExtractedBundleDirectory)
           (PROPERTY, std::u16string, defaultInstallationDirectory, DefaultInstallationDirectory)
           (PROPERTY, std::u16string, userInputInstallationDirectory, UserInputInstallationDirectory)
           (PROPERTY, std::u16string, installationDirectory, InstallationDirectory)
           (STRING_SET, ANY, appRequiredProducts, AppRequiredProducts)
           (PROPERTY, std::u16string, applicationName, ApplicationName)
           (PROPERTY, std::u16string, applicationVersion, ApplicationVersion)
           (PROPERTY, std::u16string, mainProgram, MainProgram)
           (PROPERTY, std::uint64_t, requiredDiskSpace, RequiredDiskSpace)
           (PROPERTY, std::u16string, gettingStartedGuideLocation, GettingStartedGuideLocation))

TQ_ELEMENT("install::datamodels::product_installer", ProductToDisplay, ::tq::zero::Element,
           (PROPERTY, std::u16string, baseCode, BaseCode)
           (PROPERTY, std::u16string, productName, ProductName))

TQ_ELEMENT("install::datamodels::product_installer", ProductSelection, ::tq::zero::Element,
           (STRING_SET, ANY, selectedProducts, SelectedProducts)
           (ELEMENTS, ProductToDisplay, productToDisplayList, ProductToDisplayList)
           (PROPERTY, bool, isMinimalProductMode, IsMinimalProductMode)
           (PROPERTY, bool, overwriteAcknowledgement, OverwriteAcknowledgement)
           (PROPERTY, bool, isMissingProducts, IsMissingProducts)
           (PROPERTY, bool, isMissingNotInstalled, IsMissingNotInstalled)
           (PROPERTY, std::uint64_t, bytesInstallSize, BytesInstallSize)
           (PROPERTY, std::uint64_t, bytesDownloadSize, BytesDownloadSize))

TQ_ELEMENT("install::datamodels::product_installer", OptionToDisplay, ::tq::zero::Element,
           (PROPERTY, OptionType, optionType, OptionType)
           (PROPERTY, bool, isViewOnly, IsViewOnly))

TQ_ELEMENT("install::datamodels::product_installer", OptionSelection, ::tq::zero::Element,
           (ELEMENTS, OptionToDisplay, optionToDisplayList, OptionToDisplayList)
           (PROPERTY, std::u16string, symbolicLinkPath, SymbolicLinkPath)
           (PROPERTY, bool, isSymbolicLinkSelected, IsSymbolicLinkSelected)
           (PROPERTY, bool, isStartMenuShortcutSelected, IsStartMenuShortcutSelected)
           (PROPERTY, bool, isFileAssociationSelected, IsFileAssociationSelected)
           (PROPERTY, bool, isAcceleratorTaskSelected, IsAcceleratorTaskSelected)
           (PROPERTY, bool, isDesktopShortcutSelected, IsDesktopShortcutSelected)
           (PROPERTY, bool, isImproveVeloraSelected, IsImproveVeloraSelected)
           (PROPERTY, bool, isConfigureLMAsServiceSelected, IsConfigureLMAsServiceSelected)
           (PROPERTY, std::u16string, privacyPolicyToDisplay, PrivacyPolicyToDisplay))

TQ_ELEMENT("install::datamodels::product_installer", InstallFolder, ::tq::zero::Element,
           (PROPERTY, std::u16string, defaultValue, DefaultValue)
           (PROPERTY, std::u16string, userInput, UserInput)
           (PROPERTY, std::u16string, installFolder, InstallFolder)
           (PROPERTY, bool, rootDriveWarningAcknowledgement, RootDriveWarningAcknowledgement)
           (CHILD, Release, installedProductsRelease, InstalledProductsRelease))

TQ_ELEMENT("install::datamodels::product_installer", DownloadFolder, ::tq::zero::Element,
           (PROPERTY, std::u16string, defaultValue, DefaultValue)
           (PROPERTY, std::u16string, userInput, UserInput)
           (PROPERTY, std::u16string, extractionInstruction, ExtractionInstruction))

TQ_ELEMENT("install::datamodels::product_installer", DownloadProgressData, ::tq::zero::Element,
           (PROPERTY, std::u16string, componentName, ComponentName)
           (PROPERTY, std::uint64_t, bytesDownloadedSoFar, BytesDownloadedSoFar)
           (PROPERTY, std::uint64_t, expectedBytesToBeDownloaded, ExpectedBytesToBeDownloaded)
           (PROPERTY, std::uint64_t, percentage, Percentage)
           (PROPERTY, std::u16string, downloadMessage, DownloadMessage)
           (PROPERTY, std::u16string, downloadTitle, DownloadTitle))

TQ_ELEMENT("install::datamodels::product_installer", InstallProgressData, ::tq::zero::Element,
           (PROPERTY, std::u16string, componentName, ComponentName)
           (PROPERTY, std::uint64_t, numberOfComponentsInstalledSoFar, NumberOfComponentsInstalledSoFar)
           (PROPERTY, std::uint64_t, bytesInstalledSoFar, BytesInstalledSoFar)
           (PROPERTY, std::uint64_t, expectedNumberOfComponentsToBeInstalled, ExpectedNumberOfComponentsToBeInstalled)
           (PROPERTY, std::uint64_t, expectedBytesToBeInstalled, ExpectedBytesToBeInstalled)
           (PROPERTY, std::uint64_t, percentage, Percentage)
           (PROPERTY, std::u16string, installMessage, InstallMessage)
           (PROPERTY, std::u16string, installTitle, InstallTitle))

TQ_ELEMENT("install::datamodels::product_installer", UninstallProgressData, ::tq::zero::Element,
           (PROPERTY, std::u16string, componentName, ComponentName)
           (PROPERTY, std::uint64_t, bytesUninstalledSoFar, BytesUninstalledSoFar)
           (PROPERTY, std::uint64_t, expectedBytesToBeUninstalled, ExpectedBytesToBeUninstalled)
           (PROPERTY, std::uint64_t, percentage, Percentage)
           (PROPERTY, std::u16string, uninstallMessage, UninstallMessage)
           (PROPERTY, std::u16string, uninstallTitle, UninstallTitle))

TQ_ELEMENT("install::datamodels::product_installer", OverallProgressData, ::tq::zero::Element,
           (PROPERTY, std::uint64_t, percentage, Percentage))

TQ_ELEMENT("install::datamodels::product_installer", ProgressData, ::tq::zero::Element,
           (CHILD, DownloadProgressData, downloadProgressData, DownloadProgressData)
           (CHILD, InstallProgressData, installProgressData, InstallProgressData)
           (CHILD, UninstallProgressData, uninstallProgressData, UninstallProgressData)
           (CHILD, OverallProgressData, overallProgressData, OverallProgressData))

TQ_ELEMENT("install::datamodels::product_installer", ConfirmationItem, ::tq::zero::Element,
           (PROPERTY, std::int32_t, confirmationType, ConfirmationType)
           (PROPERTY, std::u16string, confirmationValue, ConfirmationValue))

TQ_ELEMENT("install::datamodels::product_installer", Confirmation, ::tq::zero::Element,
           (ELEMENTS, ConfirmationItem, confirmationItemToDisplayList, ConfirmationItemToDisplayList))

TQ_ELEMENT("install::datamodels::product_installer", WorkflowDependentData, ::tq::zero::Element,
           (STRINGS, UNIQUE, availableProducts, AvailableProducts)
           (STRINGS, UNIQUE, installedProducts, InstalledProducts)
           (STRINGS, UNIQUE, installableProducts, InstallableProducts)
           (STRINGS, UNIQUE, downloadableProducts, DownloadableProducts)
           (STRINGS, UNIQUE, offeredProducts, OfferedProducts)
           (STRINGS, UNIQUE, minimalProducts, MinimalProducts)
           (STRINGS, UNIQUE, missingProducts, MissingProducts)
           (STRINGS, UNIQUE, downloadPlatforms, DownloadPlatforms)
           (CHILD, ProductSelection, productSelection, ProductSelection)
           (CHILD, OptionSelection, optionSelection, OptionSelection)
           (CHILD, InstallFolder, installFolder, InstallFolder)
           (CHILD, DownloadFolder, downloadFolder, DownloadFolder)
           (CHILD, ProgressData, progressData, ProgressData)
           (CHILD, Confirmation, confirmationData, ConfirmationData)
           (CHILD, QRTErrorItem, qrtErrorItem, QrtErrorItem)
           (PROPERTY, bool, hasEnoughSpace, HasEnoughSpace)
           (PROPERTY, std::int8_t, toBeInstalledUpdateLevel, ToBeInstalledUpdateLevel)
           (PROPERTY, UpdateScenario, updateScenario, UpdateScenario)
           (PROPERTY, bool, isQRTInstallation, IsQRTInstallation)
           (PROPERTY, bool, hasPrevQRTInstallation, HasPrevQRTInstallation)
           (PROPERTY, bool, isVantapakInstallation, IsVantapakInstallation)
           (PROPERTY, std::u16string, installationNotes, InstallationNotes)
           (PROPERTY, std::u16string, pathIssueNotes, PathIssueNotes))

TQ_ELEMENT("install::datamodels::product_installer", WorkflowIndependentData, ::tq::zero::Element,
           (CHILD, ApplicationData, applicationData, ApplicationData)
           (PROPERTY, ValidationResultType, validationResultType, ValidationResultType)
           (PROPERTY, std::u16string, initialWorkflow, InitialWorkflow)
           (PROPERTY, bool, isSilent, IsSilent)
           (PROPERTY, std::int8_t, exitStatus, ExitStatus)
           (PROPERTY, bool, doesLocalArchivesExist, DoesLocalArchivesExist)
           (CHILD, Release, release, Release)
           (PROPERTY, std::u16string, installerName, InstallerName)
           (PROPERTY, std::u16string, installerVersion, InstallerVersion)
           (PROPERTY, std::u16string, clientString, ClientString)
           (PROPERTY, std::u16string, installationFilesDir, InstallationFilesDir)
           (PROPERTY, std::u16string, packagesRoot, PackagesRoot)
           (PROPERTY, std::u16string, staticInstallerRootPath, StaticInstallerRootPath)
           (PROPERTY, std::u16string, executionPlatform, ExecutionPlatform)
           (PROPERTY, std::u16string, locale, Locale)
           (PROPERTY, std::u16string, advancedOptionSelected, AdvancedOptionSelected)
           (CHILD, SessionData, sessionData, SessionData)
           (PROPERTY, bool, isBat, IsBat)
           (PROPERTY, bool, isTestMode, IsTestMode)
           (PROPERTY, bool, isTlmxEnabled, IsTlmxEnabled)
           (PROPERTY, bool, installDemo, InstallDemo)
           (PROPERTY, bool, installDoc, InstallDoc)
           (PROPERTY, bool, isMissingJRE, IsMissingJRE)
           (PROPERTY, bool, isAgreeToLicense, IsAgreeToLicense)
           (CHILD, UserApplicationData, userApplicationData, UserApplicationData)
           (CHILD, login::LoginRequestParameters, loginRequestParameters, LoginRequestParameters)
           (CHILD, login::LoggedInUserInfo, userInfo, UserInfo)
           (CHILD, LoginError, loginError, LoginError)
           (CHILD, Proxy, proxy, Proxy))

TQ_ELEMENT("install::datamodels::product_installer", ProductInstaller, ::tq::zero::Element,
           (CHILD, WorkflowIndependentData, workflowIndependentData, WorkflowIndependentData)
           (CHILD, WorkflowDependentData, workflowDependentData, WorkflowDependentData))

}  // namespace install::datamodels::product_installer
// clang-format on
