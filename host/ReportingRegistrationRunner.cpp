#include "host/ReportingRegistrationRunner.h"

#include <exception>
#include <utility>

namespace velora::installer {

ReportingRegistrationRunner::ReportingRegistrationRunner(
    const registration::productconfig::ProductRegistrationRunner& runner, Warning warning)
    : ProductRegistrationRunner(runner), warning_(std::move(warning)) {}

void ReportingRegistrationRunner::runRegistrationCommands() const {
    try {
        ProductRegistrationRunner::runRegistrationCommands();
    } catch (const std::exception& failure) {
        if (warning_) warning_(failure.what());
        throw;
    }
}

}  // namespace velora::installer
