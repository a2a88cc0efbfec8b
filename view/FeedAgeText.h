#pragma once
// The text of the status bar's second field and the tray icon's tooltip: how
// old the news on screen is.
#include <optional>
#include <string>

namespace quarlen {

// A moment as the user reads it: its local calendar day (any number that
// differs from one day to the next) and the locale's short texts of its time
// and of its date.
struct ShownMoment {
  long day = 0;
  std::string time;
  std::string date;
};

// What is known of the feed in this run: the moment of its last read, and
// whether a refresh ended without reading it since (or before any read).
struct FeedAge {
  std::optional<ShownMoment> lastRead;
  bool failedSince = false;
};

// "Updated 09:15" after a read, "Not updated since 09:15" once a refresh failed
// after it, "Not updated yet" before any read; the moment carries its date
// ahead of the time when it was not today.
std::string FeedAgeText(const FeedAge& age, long today);

// The tray icon's tooltip: the program's name, then the age text on a line of its own.
std::string TrayToolTipText(const std::string& ageText);

}  // namespace quarlen
