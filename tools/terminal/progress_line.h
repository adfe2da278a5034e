// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TERMINAL_PROGRESS_LINE_H
#define REUSEBLOCKS_TOOLS_TERMINAL_PROGRESS_LINE_H

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace reuseblocks::tool {

// Tells a person watching standard error what work that takes a while is doing: once a step has
// run for a couple of seconds, one line, redrawn in place about four times a second, that names
// the step and how long it has run. Only on a terminal; the line is wiped before anything else is
// written on either stream, and for good, so that it never mixes with the output. One, in main.
//
// REUSEBLOCKS_PROGRESS_DELAY (environment) sets the seconds before the line shows (default 2;
// 0 shows it at once; "never" turns it off).
class ProgressLine {
  public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The step under way ("loading \"board.blocks\""); empty: none, nothing is shown. A step
    // starts its own clock. Does nothing without a ProgressLine or once it has ended.
    static void Step(std::string step);
    // Wipes the line and shows no more: output follows.
    static void End();

  private:
    void Run();
    void EndLocked();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_step;
    double m_delay = 2.0;
    long long m_stepStart = 0;  // steady clock, milliseconds
    bool m_shown = false;
    bool m_ended = false;
    std::thread m_thread;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TERMINAL_PROGRESS_LINE_H
