// SPDX-License-Identifier: MIT
#include "csv_reader.h"

namespace reuseblocks::tool {

namespace {
constexpr int kEnd = std::char_traits<char>::eof();
}

int CsvReader::Get() {
    const int c = m_in.rdbuf()->sbumpc();
    if (c == '\n') ++m_line;
    return c;
}

bool CsvReader::Next(std::vector<std::string>& fields, unsigned long& line) {
    std::streambuf& in = *m_in.rdbuf();
    line = m_line;
    if (!m_started) {
        m_started = true;
        if (in.sgetc() == 0xEF) {
            const std::string mark = "\xEF\xBB\xBF";
            std::string seen;
            while (seen.size() < 3 && in.sgetc() == static_cast<unsigned char>(mark[seen.size()])) {
                seen += static_cast<char>(in.sbumpc());
            }
            if (seen != mark) {
                m_error = "malformed byte order mark";
                return false;
            }
        }
    }
    for (;;) {
        fields.assign(1, std::string());
        line = m_line;
        int c = Get();
        if (c == kEnd) return false;
        if (c == '\n' || (c == '\r' && in.sgetc() == '\n')) {  // an empty line
            if (c == '\r') Get();
            continue;
        }
        for (;; c = Get()) {
            std::string& field = fields.back();
            if (c == '"' && field.empty()) {
                for (;;) {
                    c = Get();
                    if (c == kEnd) {
                        m_error = "a quoted field is not closed";
                        return false;
                    }
                    if (c == '"') {
                        if (in.sgetc() != '"') break;
                        c = Get();
                    }
                    field += static_cast<char>(c);
                }
                c = in.sgetc();
                if (c != m_separator && c != '\n' && c != '\r' && c != kEnd) {
                    m_error = "a character follows the closing quote of a field";
                    return false;
                }
                continue;
            }
            if (c == m_separator) {
                fields.emplace_back();
            } else if (c == kEnd || c == '\n') {
                return true;
            } else if (c == '\r' && in.sgetc() == '\n') {
                Get();
                return true;
            } else {
                field += static_cast<char>(c);
            }
        }
    }
}

}  // namespace reuseblocks::tool
