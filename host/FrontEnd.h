#pragma once

#include <string>

namespace velora::installer {

// The user interface's part in a run: what it answers on each page, how it acknowledges a
// warning, and how it tells the user what a step reported.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // Writes the page's answers into the data model before the step is processed.
    virtual void supplyAnswers(const std::u16string& gateName) = 0;
    // Records that the user has seen the warning just shown, so the step can be retried; false
    // when this page has no warning that can be acknowledged.
    virtual bool acknowledgeWarning(const std::u16string& gateName) = 0;
    virtual void showFailure(const std::u16string& title, const std::u16string& message) = 0;
    virtual void showWarning(const std::u16string& title, const std::u16string& message) = 0;
    virtual void showInformation(const std::string& text) = 0;
    // Called once a step is done, with the page it was.
    virtual void stepCompleted(const std::u16string& gateName) = 0;
};

}  // namespace velora::installer
