#pragma once

#include <functional>
#include <string>

#include "registration/productconfig/ProductRegistrationRunner.h"

namespace velora::installer {

// The registration as the installation gate runs it, with what fails also told to the person
// running the installer: the gate only logs it, and a shortcut or command link that could not be
// made is something the user has to know.
class ReportingRegistrationRunner : public registration::productconfig::ProductRegistrationRunner {
public:
    using Warning = std::function<void(const std::string&)>;

    ReportingRegistrationRunner(const registration::productconfig::ProductRegistrationRunner& runner,
                                Warning warning);

    void runRegistrationCommands() const override;

private:
    Warning warning_;
};

}  // namespace velora::installer
