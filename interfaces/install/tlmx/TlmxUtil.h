#pragma once

#include <string>
#include <vector>

#include "foundation/ComponentExport.h"
#include "install/tlmx/DiagnosticsData.h"
#include "install/tlmx/ProductData.h"

namespace install::tlmx {

// A gate's diagnostics collector. Each call writes one record to the host's diagnostics sink
// (DiagnosticsSink.h). Callers pass what the service may see: no password or access token ever
// belongs in these texts. The operations are virtual so that a test can watch what a gate sends.
class COMPONENT_API TlmxUtil {
public:
    TlmxUtil() = default;
    TlmxUtil(const TlmxUtil&) = default;
    TlmxUtil& operator=(const TlmxUtil&) = default;
    virtual ~TlmxUtil();

    // One handled failure: a short decimal code, a message, the technical detail and a location
    // such as "FolderSelection::FolderValidator::FolderValidatorAbsolutePath" (all UTF-8).
    // Record: {"record": "error", "error.1": code, "error.2": message, "error.3": details,
    //          "error.4": location, "time": ...}.
    virtual void collectErrorInfo(const std::string& errorCode, const std::string& primaryMessage,
                                  const std::string& secondaryMessage, const std::string& location) const;

    // The selected products. Record: {"record": "product", "products": [...], "time": ...}.
    virtual void collectProductInfo(const std::vector<ProductData>& products) const;

    // A gate's session figures. Record: {"record": "session", "data": {...}, "time": ...}.
    virtual void collectDiagnosticsData(const DiagnosticsData& data) const;
};

}  // namespace install::tlmx
