// SPDX-License-Identifier: MIT
#include "atomic_file.h"

#include <iostream>

#include "files/cannot_write.h"
#include "files/standard_streams.h"
#include "platform/file_system.h"
#include "terminal/progress_line.h"
#include "terminal/standard_output.h"

namespace reuseblocks::tool {

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {
    if (IsStandardStream(m_path)) {
        ProgressLine::End();  // the output goes where a person may be watching
        return;
    }
    m_target = std::make_unique<detail::platform::OutputTarget>();
    if (!m_target->Open(m_path.c_str(), detail::platform::OutputTarget::SharedFile::kReplace)) {
        Fail();
    }
    m_whole = m_target->NeedsWholeText();
}

AtomicFile::~AtomicFile() = default;

void AtomicFile::Write(std::string_view text) {
    if (!m_target) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        return ThrowIfStandardOutputFailed();
    }
    if (m_whole) {
        m_text += text;
        return;
    }
    if (!m_target->Write(text.data(), text.size())) Fail();
}

void AtomicFile::Commit() {
    if (!m_target) return FinishStandardOutput();
    if (m_whole && !m_target->Write(m_text.data(), m_text.size())) Fail();
    if (!m_target->Commit()) Fail();
}

void AtomicFile::Fail() const {
    const detail::platform::OutputFailure failure = m_target->Failure();
    m_target->Discard();
    throw CannotWrite(m_path, failure);
}

void WriteWholeFile(const std::string& path, std::string_view text) {
    AtomicFile file(path);
    file.Write(text);
    file.Commit();
}

}  // namespace reuseblocks::tool
