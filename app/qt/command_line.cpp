#include "app/qt/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace horalux {
namespace {

// Qt's documented options (QGuiApplication, QApplication, and X11's -display and
// -geometry), spelled with one dash or two, as Qt accepts them.
constexpr std::array<std::string_view, 12> kQtOptionsWithValue{
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::array<std::string_view, 3> kQtFlags{"reverse", "widgetcount", "qmljsdebugger"};
// "-style=Fusion", "-qmljsdebugger=port:1234": Qt's options that take their value after "=".
constexpr std::array<std::string_view, 3> kQtJoinedValues{"style", "stylesheet", "qmljsdebugger"};

// The option's name without its dashes, or empty when `argument` is no option.
std::string_view OptionName(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return {};
  argument.remove_prefix(argument[1] == '-' ? 2 : 1);
  return argument;
}

bool IsQtOptionWithJoinedValue(std::string_view name) {
  const std::size_t equals = name.find('=');
  return equals != std::string_view::npos &&
         std::ranges::count(kQtJoinedValues, name.substr(0, equals)) > 0;
}

TCommandLineAction Error(std::string text) { return {TCommandLineAction::kError, std::move(text)}; }

}  // namespace

TCommandLineAction ParseCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") return {TCommandLineAction::kHelp, {}};
    if (argument == "--version") return {TCommandLineAction::kVersion, {}};
    const std::string_view name = OptionName(argument);
    if (name.empty()) return Error("unexpected argument '" + std::string(argument) + "'");
    if (std::ranges::count(kQtFlags, name) > 0 || IsQtOptionWithJoinedValue(name)) continue;
    if (std::ranges::count(kQtOptionsWithValue, name) == 0) {
      return Error("unknown option '" + std::string(argument) + "'");
    }
    if (++i == argc) return Error("option '" + std::string(argument) + "' needs a value");
  }
  return {};
}

std::string UsageText() {
  return "Usage: horalux [OPTION]...\n"
         "Keeps this computer's clock right with the Time Protocol (RFC 868), and can serve\n"
         "the time to other machines. Lives in the notification area; its settings are made\n"
         "in its window.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n"
         "\n"
         "Qt's options for the window system are passed on, for example -platform offscreen,\n"
         "-display :1, -style Fusion, -reverse.\n";
}

}  // namespace horalux
