#pragma once
// The fixed measures, colours and rectangles of the article grid, and the
// row tests its painter makes, kept free of the widget toolkit.
#include <cstdint>
#include <string>
#include <vector>

namespace quarlen::grid {

// Column widths and row height are those of one cell, grid line excluded.
inline constexpr int ThumbnailColumnWidth = 88;
inline constexpr int TextColumnWidth = 268;
inline constexpr int RowHeight = 65;

// Placement in the main window: the header panels at the top, the grid below.
inline constexpr int Left = 3;
inline constexpr int HeaderTop = 3;
inline constexpr int HeaderHeight = 25;
inline constexpr int GridTop = 28;
inline constexpr int GridWidth = 376;
inline constexpr int GridHeight = 316;
inline constexpr int ChartHeaderWidth = 91;
inline constexpr int SubjectHeaderLeft = 94;
inline constexpr int SubjectHeaderWidth = 283;

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t Accent = 0x006699;
inline constexpr std::uint32_t Highlight = 0xFAB205;
inline constexpr std::uint32_t DateRed = 0xCC0000;
inline constexpr std::uint32_t White = 0xFFFFFF;
inline constexpr std::uint32_t Black = 0x000000;

// Font sizes in points; every text is "Verdana" (or its substitute, platform/ui/VerdanaFont.h).
inline constexpr int HeaderPoints = 8;
inline constexpr int SubjectPoints = 7;
inline constexpr int DatePoints = 6;
inline constexpr int DescriptionPoints = 6;
inline constexpr int NoMessagesPoints = 24;
inline constexpr const char* NoMessagesText = "No messages";

// Where the thumbnail's top-left corner sits inside its cell.
inline constexpr int ThumbnailLeft = 1;
inline constexpr int ThumbnailTop = 2;

// A rectangle as left, top, right, bottom; right and bottom are exclusive.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Box&) const = default;
};

// The date line's rectangle in a text cell: 25 pixels down, 200 high.
inline Box DateBox(const Box& cell) { return {cell.left, cell.top + 25, cell.right, cell.top + 225}; }

// The description's rectangle below a date line of wrapped height dateHeight.
inline Box DescriptionBox(const Box& cell, int dateHeight) {
  const int top = cell.top + 25 + dateHeight + 2;
  return {cell.left, top, cell.right, top + 200};
}

// The entry at index, or nullptr when the list is shorter: the painter can be
// asked for a row the lists no longer hold in the middle of a refresh.
inline const std::string* EntryAt(const std::vector<std::string>& list, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
  return &list[static_cast<std::size_t>(index)];
}

// A row is bold only when its read entry is exactly "unread".
inline bool IsUnread(const std::vector<std::string>& readView, int row) {
  const std::string* entry = EntryAt(readView, row);
  return entry && *entry == "unread";
}

}  // namespace quarlen::grid
