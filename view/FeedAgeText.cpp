#include "view/FeedAgeText.h"

namespace quarlen {

std::string FeedAgeText(const FeedAge& age, long today) {
  if (!age.lastRead) return "Not updated yet";
  const ShownMoment& read = *age.lastRead;
  // A trader back after a night or a weekend must not take yesterday's 16:30
  // for today's.
  const std::string moment = read.day == today ? read.time : read.date + " " + read.time;
  return (age.failedSince ? "Not updated since " : "Updated ") + moment;
}

std::string TrayToolTipText(const std::string& ageText) { return "Quarlen Messenger\n" + ageText; }

}  // namespace quarlen
