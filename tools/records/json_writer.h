// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_JSON_WRITER_H
#define REUSEBLOCKS_TOOLS_RECORDS_JSON_WRITER_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace reuseblocks::tool {

// The one way the tool writes JSON: values appended to a string as they come. With a drain, the
// string is sent on whenever it has grown to kDrainSize, so that output of any size, a single
// block of a million layer maps too, needs no more than that beyond what it shows. Pretty output is
// laid out as nlohmann::json's dump(2) lays it out, compact output as dump() does. Strings are
// 8-bit text of any encoding: bytes that are not UTF-8 become U+FFFD, so the output is always valid
// JSON.
class JsonWriter {
  public:
    enum class Layout { kPretty, kCompact };
    // Sends `out` on and clears it.
    using Drain = std::function<void(std::string& out)>;
    static constexpr std::size_t kDrainSize = std::size_t{1} << 16;

    JsonWriter(std::string& out, Layout layout, Drain drain = {})
        : m_out(out), m_pretty(layout == Layout::kPretty), m_drain(std::move(drain)) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member of an object.
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::string_view text);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    template <typename Integer>
    JsonWriter& Number(Integer value) {
        static_assert(std::is_integral_v<Integer> && !std::is_same_v<Integer, bool>);
        return Literal(std::to_string(value));
    }

  private:
    void BeforeValue();
    JsonWriter& Literal(std::string_view text);
    JsonWriter& Begin(char bracket);
    JsonWriter& End(char bracket);

    std::string& m_out;
    bool m_pretty;
    Drain m_drain;
    std::vector<bool> m_filled;  // per open container: whether it holds a value yet
    bool m_afterKey = false;
};

// `text` as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_JSON_WRITER_H
