// A trace of what the program shows (the window shown and hidden, message boxes, menus,
// notifications, status texts), so that people and tests running the program without a
// display can follow it: one line each on standard error, "horalux.ui: " and the event.
// Off unless the environment has HORALUX_UI_TRACE=1, the same on every system.
//
// Text is program text, written as it is; TraceQuoted marks where a text begins and ends.
//
// Thread-safety: any thread; each line is written with one call.
#pragma once

#include <string>

namespace horalux {

// Writes "horalux.ui: <event>" when the trace is on (the environment is read at each call,
// so tests can switch it); a failing write goes unnoticed (a Windows program started
// without standard error has none).
void TraceUi(const std::string& event);

// The text in double quotes, its control characters escaped as in the log
// (base/escape_controls.h) and its quotes as \", so that one event stays one line.
std::string TraceQuoted(const std::string& text);

}  // namespace horalux
