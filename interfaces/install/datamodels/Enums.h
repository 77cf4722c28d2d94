#pragma once

#include <cstdint>

namespace install::datamodels::common {

enum class Result : std::int32_t { Unknown = 0, Valid = 1, Failure = 2, Warning = 3 };

}  // namespace install::datamodels::common

namespace install::datamodels::product_installer {

// Tells the user interface which kind of page to show with a failure or warning. Gates pass
// the number their step documents; the enumeration is open.
enum class ValidationResultType : std::int32_t {};

inline constexpr ValidationResultType validationResultType(std::int32_t value) {
    return static_cast<ValidationResultType>(value);
}

enum class OptionType : std::int32_t {
    DesktopShortcut = 0,
    SymbolicLink = 1,
    ImproveVelora = 2,
    StartMenuShortcut = 3,
    ConfigureLMAsService = 4,
};

enum class UpdateScenario : std::int32_t {
    Unknown = 0,
    AlreadyUpToDate = 1,
    FreshInstallation = 2,
    ProductsAdded = 3,
    UpdateToNewerLevel = 4,
    UpdateNotPossibleFromFolderRepository = 5,
};

enum class QRTErrorType : std::int32_t {};

}  // namespace install::datamodels::product_installer
