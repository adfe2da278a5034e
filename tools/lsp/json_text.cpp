// SPDX-License-Identifier: MIT
#include "lsp/json_text.h"

#include <cmath>

#include "records/json_writer.h"

namespace reuseblocks::tool::lsp {

namespace {

void Write(JsonWriter& json, const nlohmann::json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::object:
            json.BeginObject();
            for (const auto& [key, member] : value.items()) {
                json.Key(key);
                Write(json, member);
            }
            json.EndObject();
            break;
        case nlohmann::json::value_t::array:
            json.BeginArray();
            for (const nlohmann::json& element : value) Write(json, element);
            json.EndArray();
            break;
        case nlohmann::json::value_t::string:
            json.String(value.get_ref<const std::string&>());
            break;
        case nlohmann::json::value_t::boolean:
            json.Bool(value.get<bool>());
            break;
        case nlohmann::json::value_t::number_integer:
            json.Number(value.get<std::int64_t>());
            break;
        case nlohmann::json::value_t::number_unsigned:
            json.Number(value.get<std::uint64_t>());
            break;
        case nlohmann::json::value_t::number_float: {
            // The server sends no fractions; a whole number is what any it echoes can mean.
            const double number = value.get<double>();
            if (std::isfinite(number) && std::fabs(number) < 9.0e18) {
                json.Number(static_cast<std::int64_t>(number));
            } else {
                json.Null();
            }
            break;
        }
        default:
            json.Null();
    }
}

}  // namespace

std::string JsonText(const nlohmann::json& value) {
    std::string out;
    JsonWriter json(out, JsonWriter::Layout::kCompact);
    Write(json, value);
    return out;
}

}  // namespace reuseblocks::tool::lsp
