#include "app/form1_window_table.h"

#include <algorithm>
#include <tuple>

namespace horalux {
namespace {

constexpr int kCheckIndicator = 20;  // a check box's box and the gap before its text
constexpr int kButtonMargin = 8;
constexpr int kEditGap = 2;  // what the interval's texts keep off the edit and its arrows

// A caption, mnemonic ampersand and all, and the pixels its control leaves for its text.
struct TCaptionRoom {
  std::string caption;
  int width;
  bool bold = false;
};

int Right(const TPlace& place) { return place.left + place.width; }

int Room(const TControlRow& row) {
  switch (row.kind) {
    case TControlKind::Label:
      return row.place.width;
    case TControlKind::CheckBox:
      return row.place.width - kCheckIndicator;
    case TControlKind::Button:
      return row.place.width - kButtonMargin;
    default:  // the group boxes' titles have their frame's width to spare
      return 0;
  }
}

// The interval's label gives two: its text before the edit and after the up-down control.
std::vector<TCaptionRoom> CaptionRooms() {
  std::vector<TCaptionRoom> rooms;
  for (const TControlRow& row : kForm1Controls) {
    const auto [before, after] = SpacedCaptionParts(row.caption);
    if (after.empty()) {
      if (Room(row) > 0) rooms.push_back({row.caption, Room(row), row.bold});
      continue;
    }
    rooms.push_back({before, Form1Control("edInterval").place.left - row.place.left - kEditGap});
    rooms.push_back({after, Right(row.place) - Right(Form1Control("UpDown").place) - kEditGap});
  }
  return rooms;
}

}  // namespace

TPlace InWindow(const TControlRow& row) {
  if (row.parent.empty()) return row.place;
  const TPlace parent = InWindow(Form1Control(row.parent));
  return {parent.left + row.place.left, parent.top + row.place.top, row.place.width,
          row.place.height};
}

std::pair<std::string, std::string> SpacedCaptionParts(std::string_view caption) {
  std::size_t bestStart = 0, bestEnd = 0;
  for (std::size_t start = caption.find(' '); start != std::string_view::npos;) {
    const std::size_t end = std::min(caption.find_first_not_of(' ', start), caption.size());
    if (end - start > bestEnd - bestStart) std::tie(bestStart, bestEnd) = std::pair(start, end);
    start = caption.find(' ', end);
  }
  if (bestEnd - bestStart < 2) return {std::string(caption), {}};
  return {std::string(caption.substr(0, bestStart)), std::string(caption.substr(bestEnd))};
}

std::optional<int> FittingFontSize(int largest, int smallest, const TTextWidth& width) {
  const std::vector<TCaptionRoom> rooms = CaptionRooms();
  const auto fits = [&](int size) {
    return std::all_of(rooms.begin(), rooms.end(), [&](const TCaptionRoom& room) {
      std::string text = room.caption;
      std::erase(text, '&');
      return width(size, text, room.bold) <= room.width;
    });
  };
  for (int size = largest; size >= smallest; --size) {
    if (fits(size)) return size;
  }
  return std::nullopt;
}

}  // namespace horalux
