// The program's command line: --help and --version, answered before the single-instance
// guard or any window exists (so they work without a display), and the documented options
// of Qt's window system (-platform offscreen, -display :1, -style Fusion, ...), which are
// left for QApplication. Anything else is an error. There are no options of our own
// beyond the two answers: everything else is set in the window.
#pragma once

#include <string>

namespace horalux {

struct TCommandLineAction {
  enum Kind { kRun, kHelp, kVersion, kError };
  Kind kind = kRun;
  std::string error;  // kError: one line, without the program's name
};

// The first of --help (-h) and --version decides; an unknown option or a stray argument
// before it is an error.
TCommandLineAction ParseCommandLine(int argc, const char* const* argv);

// What --help prints, ending with a line feed.
std::string UsageText();

}  // namespace horalux
