#pragma once

#include <map>

#include "foundation/ComponentExport.h"
#include "foundation/json/Value.h"
#include "install/tlmx/DiagnosticsKeys.h"

namespace install::tlmx {

// A gate's collection of session figures for the diagnostics service: one JSON value per key,
// a later add replacing an earlier value of the same key. Not synchronised; a gate fills it on
// the workflow thread.
class COMPONENT_API DiagnosticsData {
public:
    using Map = std::map<DiagnosticsKey, foundation::json::Value>;

    void add(const DiagnosticsKey& key, const foundation::json::Value& value);
    const Map& getData() const;
    bool empty() const;
    void clear();

    // {"session.26": true, ...}, in key order.
    foundation::json::Value toJson() const;

private:
    Map data_;
};

}  // namespace install::tlmx
