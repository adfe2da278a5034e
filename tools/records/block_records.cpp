// SPDX-License-Identifier: MIT
#include "block_records.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include <nlohmann/json.hpp>

#include "files/standard_streams.h"
#include "records/csv_reader.h"
#include "records/fields.h"
#include "records/json_block_parser.h"
#include "records/record_builder.h"
#include "records/value_checks.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A JSON value as field text. The reader turns every number into its text as written.
std::optional<std::string> JsonText(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    return std::nullopt;
}

void AddLayerMaps(BlockRecord& record, RecordBuilder& builder, const Json& rows) {
    if (!rows.is_array()) return builder.Fail("layer_maps must be an array");
    record.layerMaps.emplace();
    for (const Json& row : rows) {
        if (!row.is_object()) return builder.Fail("every layer map must be an object");
        std::array<std::string, CReuseBlock::kLayerMapColumnCount> columns;
        std::array<bool, CReuseBlock::kLayerMapColumnCount> given{};
        for (const auto& [name, value] : row.items()) {
            std::uint32_t column = 0;
            while (column < given.size() &&
                   !ascii::EqualsIgnoringCase(name, kLayerMapColumnNames[column])) {
                ++column;
            }
            const std::optional<std::string> text = JsonText(value);
            if (column == given.size() || given[column] || !text) {
                return builder.Fail(
                    "a layer map may hold only the string columns "
                    "BLOCK_LAYER_ORDER BLOCK_LAYER_NAME DESIGN_ORDER "
                    "DESIGN_LAYER_NAME, each once (not " +
                    Quoted(name) + ")");
            }
            const std::string problem =
                UnwritableValue(kLayerMapColumnNames[column], *text, PlaceOfLayerMapColumn(column));
            if (!problem.empty()) builder.Fail(problem);
            given[column] = true;
            columns[column] = *text;
        }
        for (std::uint32_t column = 0; column < given.size(); ++column) {
            if (!given[column]) {
                return builder.Fail("a layer map lacks " +
                                    std::string(kLayerMapColumnNames[column]));
            }
        }
        record.layerMaps->push_back(std::move(columns));
    }
}

void AddRecordFromJson(const Json& object, unsigned long line, const RecordSink& sink,
                       std::vector<InputProblem>& problems) {
    if (!object.is_object()) return problems.push_back({line, "expected a block object"});
    BlockRecord record;
    record.line = line;
    RecordBuilder builder(record, problems);
    for (const auto& [name, value] : object.items()) {
        if (name == "symbol") continue;
        if (name == "layer_maps") {
            AddLayerMaps(record, builder, value);
        } else if (name == "properties") {
            if (!value.is_object()) {
                builder.Fail("properties must be an object");
                continue;
            }
            for (const auto& [field, text] : value.items()) builder.Add(field, JsonText(text));
        } else {
            builder.Add(name, JsonText(value));
        }
    }
    sink(record);
}

// The reason without nlohmann's "[json.exception...] parse error at line L, column C: " prefix.
std::string JsonError(const Json::exception& error) {
    const std::string what = error.what();
    std::size_t start = what.find("syntax error");
    if (start == std::string::npos)
        start = what.find("] ") == std::string::npos ? 0 : what.find("] ") + 2;
    return "not valid JSON: " + what.substr(start);
}

// What the JSON parser has consumed: the line feeds, so that each block is named by its line,
// and the last bytes, which tell "-0" from the "0" the parser hands on for it.
struct ConsumedInput {
    unsigned long lineFeeds = 0;
    std::array<char, 3> last{};

    // At an integer 0: the parser has read its text and one byte past it, if there was one.
    bool WasNegativeZero() const {
        return (last[0] == '-' && last[1] == '0') || (last[1] == '-' && last[2] == '0');
    }
};

template <typename Bytes>
class ConsumedInputIterator {
  public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    ConsumedInputIterator(Bytes at, ConsumedInput* consumed) : m_at(at), m_consumed(consumed) {}
    char operator*() const { return *m_at; }
    ConsumedInputIterator& operator++() {
        const char byte = *m_at;
        if (byte == '\n') ++m_consumed->lineFeeds;
        m_consumed->last = {m_consumed->last[1], m_consumed->last[2], byte};
        ++m_at;
        return *this;
    }
    bool operator==(const ConsumedInputIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const ConsumedInputIterator& other) const { return !(m_at == other.m_at); }

  private:
    Bytes m_at;
    ConsumedInput* m_consumed;
};

// Every byte of `in` or of [first, last) through the parser, for `reader`.
template <typename Reader>
bool ParseJson(std::istream& in, ConsumedInput& consumed, Reader& reader) {
    using Iterator = ConsumedInputIterator<std::istreambuf_iterator<char>>;
    return Json::sax_parse(Iterator(std::istreambuf_iterator<char>(in), &consumed),
                           Iterator(std::istreambuf_iterator<char>(), &consumed), &reader);
}
template <typename Reader>
bool ParseJson(std::string_view text, ConsumedInput& consumed, Reader& reader) {
    using Iterator = ConsumedInputIterator<const char*>;
    return Json::sax_parse(Iterator(text.data(), &consumed),
                           Iterator(text.data() + text.size(), &consumed), &reader);
}

// Thrown once the problems reach kMostProblems: the rest of the input goes unread.
struct TooManyProblems {};

void StopAtTooManyProblems(const std::vector<InputProblem>& problems) {
    if (problems.size() >= kMostProblems) throw TooManyProblems{};
}

// Builds JSON values with each number as the text it was written in (a string, which the
// fields take alike) and refuses a key an object holds already. Each block object of a top
// array goes to `sink` as soon as it is complete and is then dropped, so memory holds one block
// of the input at a time, however long the array is.
class BlockReader {
  public:
    // `lines` before the input, and the line feeds the parser has consumed, name each line.
    // The first `taken` block objects went to `sink` before, read the quick way.
    BlockReader(unsigned long lines, const ConsumedInput& consumed, bool topArray,
                const RecordSink& sink, std::vector<InputProblem>& problems, std::size_t taken = 0)
        : m_lines(lines),
          m_consumed(consumed),
          m_topArray(topArray),
          m_sink(sink),
          m_problems(problems),
          m_taken(taken) {}

    bool null() { return Value(Json()); }
    bool boolean(bool value) { return Value(Json(value)); }
    bool number_integer(Json::number_integer_t value) {
        return Value(value == 0 && m_consumed.WasNegativeZero() ? "-0" : std::to_string(value));
    }
    bool number_unsigned(Json::number_unsigned_t value) { return Value(std::to_string(value)); }
    bool number_float(Json::number_float_t, const std::string& text) { return Value(text); }
    bool string(std::string& value) { return Value(std::move(value)); }
    bool binary(Json::binary_t&) { return Value(Json()); }  // JSON text has none
    bool start_object(std::size_t) { return Open(Json::object()); }
    bool start_array(std::size_t) { return Open(Json::array()); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool key(std::string& name) {
        Level& level = m_levels.back();
        level.keep = !level.value.contains(name);
        if (!level.keep) Problem(name + " is given twice");
        level.key = std::move(name);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const Json::exception& error) {
        Problem(JsonError(error));
        return false;
    }

    // After the parse: what the top of the input was.
    void Finish() {
        if (!m_sawTop) Problem("expected an array of block objects, as list --json prints");
    }

  private:
    struct Level {
        Json value;
        std::string key;  // of an object's next member
        bool keep = true;
    };

    unsigned long Line() const { return m_lines + m_consumed.lineFeeds + 1; }
    void Problem(std::string message) {
        m_problems.push_back({Line(), std::move(message)});
        StopAtTooManyProblems(m_problems);
    }
    bool AtBlock() const { return m_levels.size() == 1 && m_levels[0].value.is_array(); }

    bool Open(Json container) {
        if (m_levels.empty()) {
            if (container.is_array() && !m_topArray) return Fail("expected a block object");
            m_sawTop = true;
            m_blockLine = Line();
        }
        if (AtBlock()) m_blockLine = Line();
        m_levels.push_back({std::move(container), std::string(), true});
        return true;
    }
    bool Close() {
        Json done = std::move(m_levels.back().value);
        m_levels.pop_back();
        if (m_levels.empty()) {
            if (done.is_object()) Block(done);
            return true;
        }
        return Value(std::move(done));
    }
    bool Value(Json value) {
        if (m_levels.empty())
            return Fail(m_topArray ? "expected an array of block objects, as list --json prints"
                                   : "expected a block object");
        if (AtBlock()) {
            if (!value.is_object()) {
                Problem("expected a block object");
                return true;
            }
            Block(value);
            return true;
        }
        Level& level = m_levels.back();
        if (level.value.is_array()) {
            level.value.push_back(std::move(value));
        } else if (level.keep) {
            level.value[level.key] = std::move(value);
        }
        return true;
    }
    bool Fail(std::string message) {
        m_sawTop = true;
        Problem(std::move(message));
        return false;
    }
    void Block(const Json& object) {
        if (m_taken > 0) {
            --m_taken;
            return;
        }
        AddRecordFromJson(object, m_blockLine, m_sink, m_problems);
        StopAtTooManyProblems(m_problems);
    }

    unsigned long m_lines;
    const ConsumedInput& m_consumed;
    bool m_topArray;
    const RecordSink& m_sink;
    std::vector<InputProblem>& m_problems;
    std::vector<Level> m_levels;
    std::size_t m_taken;
    unsigned long m_blockLine = 0;
    bool m_sawTop = false;
};

// The whole input by the general reader, which words every problem; the first `taken` block
// objects of a top array went to `sink` before.
void ReadJsonFully(std::istream& in, std::size_t taken, const RecordSink& sink,
                   std::vector<InputProblem>& problems) {
    ConsumedInput consumed;
    BlockReader reader(0, consumed, true, sink, problems, taken);
    if (ParseJson(in, consumed, reader)) reader.Finish();
}

constexpr std::size_t kReadSize = std::size_t{1} << 20;

// Appends more of `in` to `text`, dropping what is before `at` (then 0); false at its end. The
// read doubles with what is kept, so a block of any size is read again only a bounded number
// of times in all.
bool ReadMore(std::istream& in, std::string& text, std::size_t& at) {
    text.erase(0, at);
    at = 0;
    const std::size_t kept = text.size();
    text.resize(kept + std::max(kReadSize, kept));
    in.read(&text[kept], static_cast<std::streamsize>(text.size() - kept));
    text.resize(kept + static_cast<std::size_t>(in.gcount()));
    return text.size() > kept;
}

bool IsJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Inputs from this size on are read on a thread of their own while this one takes the records:
// below it, starting the thread would cost more than it saves.
constexpr std::uintmax_t kSideBySideBytes = std::uintmax_t{4} << 20;

// What the reading thread hands on: a block read the quick way or, of JSON Lines, a line the
// general reader must judge where the records are taken.
struct ReadItem {
    BlockRecord record;  // its line is the item's
    bool general = false;
    std::string text;  // the line, when general
};

// Items made on one thread and taken on another in order, a batch at a time. A few batches go
// round, so memory stays bounded however long the input, and the items' memory is used again.
class Handover {
  public:
    static constexpr std::size_t kItems = 256;
    static constexpr std::size_t kBatches = 4;

    struct Batch {
        std::vector<ReadItem> items = std::vector<ReadItem>(kItems);
        std::size_t count = 0;
    };

    Handover() {
        for (std::unique_ptr<Batch>& batch : m_batches) {
            batch = std::make_unique<Batch>();
            m_empty.push_back(batch.get());
        }
    }

    // The reader's side: a batch to fill, or null once the taker has stopped.
    Batch* Empty() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || !m_empty.empty(); });
        if (m_stopped) return nullptr;
        Batch* batch = m_empty.front();
        m_empty.pop_front();
        batch->count = 0;
        return batch;
    }
    void Fill(Batch* batch) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_full.push_back(batch);
        }
        m_changed.notify_all();
    }
    // No more batches; `failure`, when set, ended the reading.
    void Finish(std::exception_ptr failure) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
            m_failure = std::move(failure);
        }
        m_changed.notify_all();
    }

    // The taker's side: the next batch in order, or null after the last.
    Batch* Full() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_finished || !m_full.empty(); });
        if (m_full.empty()) return nullptr;
        Batch* batch = m_full.front();
        m_full.pop_front();
        return batch;
    }
    void Taken(Batch* batch) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_empty.push_back(batch);
        }
        m_changed.notify_all();
    }
    void Stop() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }
    // After the reader has finished.
    std::exception_ptr Failure() const { return m_failure; }

  private:
    std::array<std::unique_ptr<Batch>, kBatches> m_batches;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch*> m_empty;
    std::deque<Batch*> m_full;
    bool m_stopped = false;
    bool m_finished = false;
    std::exception_ptr m_failure;
};

// Thrown on the reading thread once the taker has stopped.
struct TakerStopped {};

// The reading thread, told to stop and joined however the taking ends.
class ReadingThread {
  public:
    ReadingThread(Handover& handover, std::function<void()> read) : m_handover(handover) {
        m_thread = std::thread([&handover, read = std::move(read)] {
            std::exception_ptr failure;
            try {
                read();
            } catch (const TakerStopped&) {
            } catch (...) {
                failure = std::current_exception();
            }
            handover.Finish(std::move(failure));
        });
    }
    ReadingThread(const ReadingThread&) = delete;
    ReadingThread& operator=(const ReadingThread&) = delete;
    ~ReadingThread() {
        m_handover.Stop();
        m_thread.join();
    }

  private:
    Handover& m_handover;
    std::thread m_thread;
};

// `read(give)` on a thread of its own, `give(item)` swapping each item it makes into a batch,
// and `take(item)` here for each in order. Whatever `read` threw is thrown here once every item
// before it is taken. False when no thread could be started, and nothing was read.
template <typename Read, typename Take>
bool ReadSideBySide(const Read& read, const Take& take) {
    Handover handover;
    Handover::Batch* filling = nullptr;
    const auto give = [&](ReadItem& item) {
        if (!filling && !(filling = handover.Empty())) throw TakerStopped{};
        std::swap(filling->items[filling->count++], item);
        if (filling->count == Handover::kItems) {
            handover.Fill(filling);
            filling = nullptr;
        }
    };
    std::optional<ReadingThread> thread;
    try {
        thread.emplace(handover, [&] {
            // What was given before a failure is taken before it is thrown here.
            try {
                read(give);
            } catch (...) {
                if (filling) handover.Fill(filling);
                throw;
            }
            if (filling) handover.Fill(filling);
        });
    } catch (const std::system_error&) {
        return false;
    }
    while (Handover::Batch* batch = handover.Full()) {
        for (std::size_t i = 0; i < batch->count; ++i) take(batch->items[i]);
        handover.Taken(batch);
    }
    thread.reset();
    if (handover.Failure()) std::rethrow_exception(handover.Failure());
    return true;
}

// A top array of block objects as `list --json` prints it, the quick way, each block to
// `give`; true when it turned out not to be one and the general reader must judge the input.
template <typename Give>
bool ReadJsonQuickly(std::istream& in, const Give& give) {
    std::string text;
    std::size_t at = 0;
    unsigned long lineFeeds = 0;
    ReadMore(in, text, at);
    if (text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) at = kByteOrderMark.size();
    while (at < text.size() && IsJsonSpace(text[at])) lineFeeds += text[at++] == '\n';
    if (at == text.size() || text[at] != '[') return true;
    ++at;

    // At the end of the input, or at a character other than white space.
    const auto skipSpace = [&]() -> bool {
        for (;; ++at) {
            if (at == text.size() && !ReadMore(in, text, at)) return false;
            if (!IsJsonSpace(text[at])) return true;
            lineFeeds += text[at] == '\n';
        }
    };
    ReadItem item;
    for (bool first = true;; first = false) {
        if (!skipSpace()) return true;
        if (first && text[at] == ']') break;
        if (text[at] != '{') return true;
        for (;;) {
            const char* const start = text.data() + at;
            const char* end = start;
            unsigned long inside = 0;
            const BlockParse parse =
                ParseBlockObject(end, text.data() + text.size(), item.record, inside);
            if (parse == BlockParse::kDone) {
                item.record.line = lineFeeds + 1;
                at += static_cast<std::size_t>(end - start);
                lineFeeds += inside;
                break;
            }
            if (parse == BlockParse::kUnsure || !ReadMore(in, text, at)) return true;
        }
        give(item);
        if (!skipSpace()) return true;
        if (text[at] == ']') break;
        if (text[at] != ',') return true;
        ++at;
    }
    ++at;
    return skipSpace();
}

// Whatever the quick way is unsure of (a problem, a syntax error, anything unusual) sends the
// whole input to the general reader, which passes over the blocks already taken, so that every
// problem is found and worded as it always was.
void ReadJson(std::istream& in, std::uintmax_t size, const RecordSink& sink,
              std::vector<InputProblem>& problems) {
    // The general reader starts again from the top, so the input must be a file.
    if (in.tellg() != std::streampos(0)) return ReadJsonFully(in, 0, sink, problems);
    std::size_t taken = 0;
    const auto take = [&](ReadItem& item) {
        sink(item.record);
        ++taken;
        StopAtTooManyProblems(problems);
    };
    bool generally = false;
    const auto read = [&](const auto& give) { generally = ReadJsonQuickly(in, give); };
    if (size < kSideBySideBytes || !ReadSideBySide(read, take)) read(take);
    if (!generally) return;
    in.clear();
    in.seekg(0);
    ReadJsonFully(in, taken, sink, problems);
}

// One line of JSON Lines, the quick way when it is a plain block object; otherwise `item` is
// left for the general reader.
void ReadJsonLineQuickly(std::string_view text, unsigned long line, ReadItem& item) {
    item.record.line = line;
    std::size_t at =
        text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
    while (at < text.size() && IsJsonSpace(text[at])) ++at;
    if (at < text.size() && text[at] == '{') {
        const char* end = text.data() + at;
        unsigned long lineFeeds = 0;
        if (ParseBlockObject(end, text.data() + text.size(), item.record, lineFeeds) ==
            BlockParse::kDone) {
            while (end != text.data() + text.size() && IsJsonSpace(*end)) ++end;
            if (end == text.data() + text.size()) {
                item.general = false;
                return;
            }
        }
    }
    item.general = true;
    item.text.assign(text);
}

void TakeJsonLine(const ReadItem& item, const RecordSink& sink,
                  std::vector<InputProblem>& problems) {
    if (!item.general) {
        sink(item.record);
        StopAtTooManyProblems(problems);
        return;
    }
    ConsumedInput consumed;
    BlockReader reader(item.record.line - 1, consumed, false, sink, problems);
    ParseJson(item.text, consumed, reader);
}

template <typename Give>
void ReadJsonLinesQuickly(std::istream& in, const Give& give) {
    std::string text;
    std::size_t at = 0;
    ReadItem item;
    for (unsigned long line = 1;; ++line) {
        std::size_t searched = at;
        std::size_t end = std::string::npos;
        while ((end = text.find('\n', searched)) == std::string::npos) {
            searched = text.size() - at;
            if (!ReadMore(in, text, at)) break;
        }
        if (end == std::string::npos) {
            if (at == text.size()) return;
            end = text.size();
        }
        const std::string_view whole(text.data() + at, end - at);
        at = std::min(end + 1, text.size());
        if (whole.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        ReadJsonLineQuickly(whole, line, item);
        give(item);
    }
}

void ReadJsonLines(std::istream& in, std::uintmax_t size, const RecordSink& sink,
                   std::vector<InputProblem>& problems) {
    const auto take = [&](ReadItem& item) { TakeJsonLine(item, sink, problems); };
    const auto read = [&](const auto& give) { ReadJsonLinesQuickly(in, give); };
    if (size < kSideBySideBytes || !ReadSideBySide(read, take)) read(take);
}

void ReadCsv(std::istream& in, char separator, const RecordSink& sink,
             std::vector<InputProblem>& problems) {
    CsvReader reader(in, separator);
    std::vector<std::string> header;
    std::vector<std::string> fields;
    unsigned long line = 0;
    if (!reader.Next(header, line)) {
        problems.push_back({line, reader.Error().empty() ? "no header row" : reader.Error()});
        return;
    }
    // A wrong column name is reported once, not on every row.
    BlockRecord columns;
    columns.line = line;
    RecordBuilder headerCheck(columns, problems);
    const std::size_t before = problems.size();
    for (const std::string& name : header) headerCheck.Add(name, "0");
    if (problems.size() > before) return;

    while (reader.Next(fields, line)) {
        if (fields.size() != header.size()) {
            problems.push_back({line, "row has " + std::to_string(fields.size()) +
                                          " fields, the header " + std::to_string(header.size())});
            StopAtTooManyProblems(problems);
            continue;
        }
        BlockRecord record;
        record.line = line;
        RecordBuilder builder(record, problems);
        for (std::size_t column = 0; column < header.size(); ++column) {
            builder.Add(header[column], fields[column]);
        }
        sink(record);
        StopAtTooManyProblems(problems);
    }
    if (!reader.Error().empty()) problems.push_back({line, reader.Error()});
}

// A pipe has no name to go by, so its first bytes tell: "[" starts a JSON array, a line that
// is one whole object a JSON Lines stream, another "{" one pretty-printed object, anything else
// a CSV header.
RecordFormat SniffRecordFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line) && line.find_first_not_of(" \t\r") == std::string::npos) {
    }
    if (line.rfind(kByteOrderMark, 0) == 0) line.erase(0, kByteOrderMark.size());
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '[') return RecordFormat::kJson;
    if (line[start] != '{') return RecordFormat::kCsv;
    return Json::accept(line) ? RecordFormat::kJsonLines : RecordFormat::kJson;
}

}  // namespace

RecordFormat ChooseRecordFormat(const std::string& argument, const std::string& name) {
    if (!name.empty()) {
        if (ascii::EqualsIgnoringCase(name, "json")) return RecordFormat::kJson;
        if (ascii::EqualsIgnoringCase(name, "jsonl")) return RecordFormat::kJsonLines;
        if (ascii::EqualsIgnoringCase(name, "csv")) return RecordFormat::kCsv;
        if (ascii::EqualsIgnoringCase(name, "tsv")) return RecordFormat::kTsv;
        throw UsageError("unknown format " + Quoted(name) + "; formats are json jsonl csv tsv");
    }
    if (EndsWithLetters(argument, ".jsonl") || EndsWithLetters(argument, ".ndjson")) {
        return RecordFormat::kJsonLines;
    }
    if (EndsWithLetters(argument, ".json")) return RecordFormat::kJson;
    if (EndsWithLetters(argument, ".csv")) return RecordFormat::kCsv;
    if (EndsWithLetters(argument, ".tsv")) return RecordFormat::kTsv;
    if (IsStandardStream(argument)) return SniffRecordFormat(ReadablePath(argument));
    throw UsageError("cannot tell the format of " + Quoted(argument) +
                     " from its name; add --format json, jsonl, csv or tsv");
}

void ReadBlockRecords(const std::string& path, RecordFormat format, const RecordSink& sink,
                      std::vector<InputProblem>& problems) {
    // A directory opens as a stream and fails only once read.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return problems.push_back({0, "cannot read it: it is a directory"});
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return problems.push_back(
            {0, "cannot open it" + (errno ? ": " + std::string(std::strerror(errno)) : "")});
    }
    // Only a file tells its size; anything else is read as a small input.
    std::uintmax_t size = 0;
    if (std::filesystem::is_regular_file(path, ignored)) {
        size = std::filesystem::file_size(path, ignored);
        if (ignored) size = 0;
    }
    // A failed read is a problem of the input; running out of memory goes on to say so.
    in.exceptions(std::ios::badbit);
    try {
        switch (format) {
            case RecordFormat::kJson:
                ReadJson(in, size, sink, problems);
                break;
            case RecordFormat::kJsonLines:
                ReadJsonLines(in, size, sink, problems);
                break;
            case RecordFormat::kCsv:
                ReadCsv(in, ',', sink, problems);
                break;
            case RecordFormat::kTsv:
                ReadCsv(in, '\t', sink, problems);
                break;
        }
    } catch (const TooManyProblems&) {
        problems.resize(kMostProblems);
        problems.push_back(
            {0, "stopped reading after " + std::to_string(kMostProblems) + " problems"});
    } catch (const std::ios_base::failure&) {
        problems.push_back({0, "cannot read the file"});
    }
}

}  // namespace reuseblocks::tool
