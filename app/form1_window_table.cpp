#include "app/form1_window_table.h"

#include <algorithm>

namespace horalux {
namespace {

constexpr int kCheckIndicator = 20;  // a check box's box and the gap before its text
constexpr int kButtonMargin = 8;
constexpr int kEditGap = 2;  // what the interval's texts keep off the edit and its arrows

int Right(const TPlace& place) { return place.left + place.width; }

// The interval's label around the edit and its up-down control, which lie over its blanks.
void AddSpacedRooms(const TControlRow& label, std::vector<TCaptionRoom>& rooms) {
  const auto [before, after] = SpacedCaptionParts(label.caption);
  const TPlace& edit = Form1Control("edInterval").place;
  const TPlace& arrows = Form1Control("UpDown").place;
  rooms.push_back({before, edit.left - label.place.left - kEditGap});
  rooms.push_back({after, Right(label.place) - Right(arrows) - kEditGap});
}

}  // namespace

TPlace InWindow(const TControlRow& row) {
  TPlace place = row.place;
  if (row.parent.empty()) return place;
  const TPlace parent = InWindow(Form1Control(row.parent));
  place.left += parent.left;
  place.top += parent.top;
  return place;
}

std::vector<TCaptionRoom> CaptionRooms() {
  std::vector<TCaptionRoom> rooms;
  for (const TControlRow& row : kForm1Controls) {
    switch (row.kind) {
      case TControlKind::Label:
        if (!SpacedCaptionParts(row.caption).second.empty()) {
          AddSpacedRooms(row, rooms);
        } else {
          rooms.push_back({row.caption, row.place.width, row.bold});
        }
        break;
      case TControlKind::CheckBox:
        rooms.push_back({row.caption, row.place.width - kCheckIndicator});
        break;
      case TControlKind::Button:
        rooms.push_back({row.caption, row.place.width - kButtonMargin});
        break;
      default:  // the group boxes' titles have their frame's width to spare
        break;
    }
  }
  return rooms;
}

std::pair<std::string, std::string> SpacedCaptionParts(std::string_view caption) {
  std::size_t bestStart = 0;
  std::size_t bestLength = 0;
  for (std::size_t start = caption.find(' '); start != std::string_view::npos;) {
    const std::size_t end = std::min(caption.find_first_not_of(' ', start), caption.size());
    if (end - start > bestLength) {
      bestStart = start;
      bestLength = end - start;
    }
    start = caption.find(' ', end);
  }
  if (bestLength < 2) return {std::string(caption), {}};
  return {std::string(caption.substr(0, bestStart)),
          std::string(caption.substr(bestStart + bestLength))};
}

std::optional<int> FittingFontSize(int largest, int smallest, TTextMeasure& measure) {
  const std::vector<TCaptionRoom> rooms = CaptionRooms();
  for (int size = largest; size >= smallest; --size) {
    const bool fits = std::all_of(rooms.begin(), rooms.end(), [&](const TCaptionRoom& room) {
      std::string text = room.caption;
      std::erase(text, '&');
      return measure.Width(size, text, room.bold) <= room.width;
    });
    if (fits) return size;
  }
  return std::nullopt;
}

}  // namespace horalux
