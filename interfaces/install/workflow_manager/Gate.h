#pragma once

namespace install::workflow_manager {

// One step of a workflow, driven by the workflow manager: skip check, then either skip() or
// setDefaultData() and setRequiredData(); processData() once the user interface has supplied
// the data. The base answers describe a step that is never skipped, commits no transactions
// of its own and is ready as soon as it is asked.
class Gate {
public:
    Gate() = default;
    Gate(const Gate&) = default;
    Gate& operator=(const Gate&) = default;
    Gate(Gate&&) = default;
    Gate& operator=(Gate&&) = default;
    virtual ~Gate() = default;

    virtual void processData() = 0;
    virtual void setDefaultData() const {}
    virtual void setRequiredData() const {}
    virtual void clearInputData() const {}
    virtual bool checkIfShouldBeSkipped() const { return false; }
    virtual bool checkIfCommitsTransactions() const { return false; }
    virtual bool checkIfDataIsReady() const { return true; }
    virtual void skip() const {}
};

}  // namespace install::workflow_manager
