#pragma once

#include <thread>

#include "host/InstallerModel.h"
#include "workflow_core/DataModelHandler.h"

namespace workflow_test {

// A real handler over a data model of its own, for a test to derive from and override the
// few operations it wants to answer itself; everything else keeps working on the model.
//
//   struct DownloadOnly : SubstituteHandler {
//       std::u16string getWorkflow() const override { return u"DownloadOnly"; }
//   };
//   auto handler = std::make_shared<DownloadOnly>();
class SubstituteHandler : public install::product_installer::workflow_utils::DataModelHandler {
public:
    SubstituteHandler() : SubstituteHandler(velora::installer::createInstallerModel()) {}
    // Shares a model that the test set up itself.
    explicit SubstituteHandler(velora::installer::InstallerModel installerModel)
        : DataModelHandler(installerModel.model, installerModel.root), installer(std::move(installerModel)) {}

    // With an archive reader for the handler to join.
    SubstituteHandler(velora::installer::InstallerModel installerModel, std::thread archiveReader)
        : DataModelHandler(installerModel.model, installerModel.root, std::move(archiveReader)),
          installer(std::move(installerModel)) {}

    const velora::installer::InstallerModel& installerModel() const { return installer; }

private:
    velora::installer::InstallerModel installer;
};

}  // namespace workflow_test
