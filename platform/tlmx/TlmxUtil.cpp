#include "install/tlmx/TlmxUtil.h"

#include <chrono>

#include <fmt/chrono.h>

#include "install/tlmx/DiagnosticsSink.h"

namespace install::tlmx {
namespace {

std::string utcNow() {
    return fmt::format("{:%FT%TZ}",
                       fmt::gmtime(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now())));
}

void submit(const char* kind, foundation::json::Value record) {
    record["record"] = kind;
    record["time"] = utcNow();
    sink::write(record);
}

}  // namespace

TlmxUtil::~TlmxUtil() = default;

void TlmxUtil::collectErrorInfo(const std::string& errorCode, const std::string& primaryMessage,
                                const std::string& secondaryMessage, const std::string& location) const {
    submit("error", {
                        {keyName(ErrorDataKey::ErrorCode), errorCode},
                        {keyName(ErrorDataKey::PrimaryMessage), primaryMessage},
                        {keyName(ErrorDataKey::SecondaryMessage), secondaryMessage},
                        {keyName(ErrorDataKey::Location), location},
                    });
}

void TlmxUtil::collectProductInfo(const std::vector<ProductData>& products) const {
    auto list = foundation::json::Value::array();
    for (const auto& product : products) list.push_back(toJson(product));
    submit("product", {{"products", std::move(list)}});
}

void TlmxUtil::collectDiagnosticsData(const DiagnosticsData& data) const {
    submit("session", {{"data", data.toJson()}});
}

}  // namespace install::tlmx
