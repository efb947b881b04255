// The window of TForm1 as a table, without any toolkit: each control's name, kind, parent,
// place, caption and tab stop, the room each caption has, and the rule that picks the
// font size at which every caption fits its room. The Qt and the Win32 windows make their
// controls from it, and their tests hold those controls against it; only measuring a
// text is left to each toolkit.
//
// Thread-safety: constants and pure functions.
#pragma once

#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "app/form1.h"

namespace horalux {

enum class TControlKind { GroupBox, Label, Edit, UpDown, CheckBox, ComboBox, Button, Memo, Bar };

// Left, top, width and height in pixels, relative to the parent.
struct TPlace {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const TPlace&, const TPlace&) = default;
};

// A control; an empty parent is the window itself.
struct TControlRow {
  std::string_view name;
  TControlKind kind;
  std::string_view parent;
  TPlace place;
  const char* caption;
  bool tabStop = false, bold = false, centred = false;
};

inline constexpr int kForm1ClientWidth = 329;
inline constexpr int kForm1ClientHeight = 361;
inline constexpr int kStatusPanelWidth = 200;  // the first panel; the second takes the rest
inline constexpr std::string_view kDefaultButton = "btHide";
// The interval's up-down control: its range, its step per arrow and its first position.
inline constexpr struct { int minimum, maximum, step, position; } kIntervalRange{0, 9999, 15, 300};

// The rows lie in the stacking order, topmost first (the group boxes last, beneath what
// they frame), each label right before the control its mnemonic focuses; the tab stops
// among them lie in tab order.
// clang-format off
inline constexpr TControlRow kForm1Controls[] = {
    // name, kind, parent, place, caption, tab stop, bold, centred
    {"btHide", TControlKind::Button, "", {248, 304, 75, 25}, "&Hide", true},
    {"Label1", TControlKind::Label, "GroupBox2", {8, 18, 62, 13}, "Get time &from"},
    {"cbTimeHost", TControlKind::ComboBox, "", {85, 24, 228, 21}, "", true},
    {"Label2", TControlKind::Label, "GroupBox2", {8, 50, 208, 13},
     "Synchronize time &every                     minutes"},
    {"edInterval", TControlKind::Edit, "GroupBox2", {122, 48, 39, 21}, "", true},
    {"UpDown", TControlKind::UpDown, "GroupBox2", {161, 48, 15, 21}, ""},
    {"ckStartup", TControlKind::CheckBox, "GroupBox2", {8, 80, 241, 17},
     "Synchronize &time when Horalux starts", true},
    {"btSync", TControlKind::Button, "", {240, 78, 73, 25}, "Sync &Now", true},
    {"ckServer", TControlKind::CheckBox, "", {16, 152, 273, 17},
     "&Other Clients can get the time from this machine", true},
    {"Log", TControlKind::Memo, "", {8, 200, 313, 89}, "", true},
    {"btSave", TControlKind::Button, "", {8, 304, 81, 25}, "&Save Settings", true},
    {"Label7", TControlKind::Label, "", {104, 302, 129, 13}, "Horalux 1.0", false, true, true},
    {"lblURL", TControlKind::Label, "", {104, 318, 129, 13}, TForm1::kWebAddressShown, false,
     false, true},
    {"StatusBar", TControlKind::Bar, "", {0, 342, kForm1ClientWidth, 19}, ""},
    {"GroupBox2", TControlKind::GroupBox, "", {8, 8, 313, 105}, "NTP Client"},
    {"GroupBox1", TControlKind::GroupBox, "", {8, 128, 313, 57}, "NTP Server"},
};
// clang-format on

// The row's index in kForm1Controls. A name that is not there does not compile where
// a constant is needed, and throws std::out_of_range elsewhere.
constexpr int Form1ControlIndex(std::string_view name) {
  for (int i = 0; i < static_cast<int>(std::size(kForm1Controls)); ++i) {
    if (kForm1Controls[i].name == name) return i;
  }
  throw std::out_of_range("no such control");
}
constexpr const TControlRow& Form1Control(std::string_view name) {
  return kForm1Controls[Form1ControlIndex(name)];
}

// The row's place in the window's client area.
TPlace InWindow(const TControlRow& row);

// A caption split at its longest run of two or more blanks, which another control covers:
// the text before the run and after it; the caption and nothing when it has no such run.
std::pair<std::string, std::string> SpacedCaptionParts(std::string_view caption);

// A text's width (without mnemonic) in pixels of the window description, in the toolkit's
// font of `size`, bold or not.
using TTextWidth = std::function<int(int size, const std::string& text, bool bold)>;

// The largest size from `largest` down to `smallest` at which every caption that must be
// read whole fits the room its control leaves for it; none when no size does.
std::optional<int> FittingFontSize(int largest, int smallest, const TTextWidth& width);

}  // namespace horalux
