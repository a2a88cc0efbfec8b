#pragma once

// The feed model as one JSON object: the form feeddump prints.

#include "feedparser/SimpleRSS.h"

#include <nlohmann/json.hpp>

#include <string>

namespace quarlen {

// Members in the order the model publishes them; texts as the getters give
// them (placeholders included).
nlohmann::ordered_json FeedToJson(const TSimpleRSS& rss);

// Loads text, activates the document and parses it. Gives the model as JSON
// and, on any failure, an added "error" member with the failure's message;
// failed is set when that happens.
nlohmann::ordered_json DumpFeedText(std::string text, bool& failed);

}  // namespace quarlen
