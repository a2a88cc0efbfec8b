#pragma once
// The common base of every failure the feed library raises (TXMLDocError,
// TSimpleRSSException, TValueConversionError, TDateRangeError), so a caller
// can catch any feed failure once. It carries only the message text.
#include <stdexcept>

namespace quarlen {

class TFeedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace quarlen
