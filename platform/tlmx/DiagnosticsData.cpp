#include "install/tlmx/DiagnosticsData.h"

namespace install::tlmx {

void DiagnosticsData::add(const DiagnosticsKey& key, const foundation::json::Value& value) {
    data_[key] = value;
}

const DiagnosticsData::Map& DiagnosticsData::getData() const { return data_; }

bool DiagnosticsData::empty() const { return data_.empty(); }

void DiagnosticsData::clear() { data_.clear(); }

foundation::json::Value DiagnosticsData::toJson() const {
    auto object = foundation::json::Value::object();
    for (const auto& [key, value] : data_) object[keyName(key)] = value;
    return object;
}

}  // namespace install::tlmx
