// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_JSON_WRITER_H
#define REUSEBLOCKS_TOOLS_RECORDS_JSON_WRITER_H

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace reuseblocks::tool {

// The one way the tool writes JSON: values appended to a string as they come, so that a listing
// of any size needs one block's worth of memory beyond the collection; the caller may send the
// string on and clear it between values. Pretty output is laid out as nlohmann::json's dump(2)
// lays it out, compact output as dump() does. Strings are 8-bit text of any encoding: bytes that
// are not UTF-8 become U+FFFD, so the output is always valid JSON.
class JsonWriter {
  public:
    enum class Layout { kPretty, kCompact };

    JsonWriter(std::string& out, Layout layout) : m_out(out), m_pretty(layout == Layout::kPretty) {}

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
    std::vector<bool> m_filled;  // per open container: whether it holds a value yet
    bool m_afterKey = false;
};

// `text` as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_JSON_WRITER_H
