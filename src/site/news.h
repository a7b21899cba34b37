#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"

namespace orvi {

// The product site's message file and its copy in the program folder.
constexpr std::string_view kNewsPath = "/files/version.txt";
constexpr std::string_view kNewsCopy = "version.txt";

// The message as it is stored and shown: leading line ends dropped, each
// line feed becomes CR LF (a line that ended in CR LF keeps its CR, so ends
// in CR CR LF), and text after the last line feed is dropped.
std::string NormaliseNews(std::string_view fetched);

// Compares the normalised message with the copy in the folder; when it is new
// (no copy, or a different one) writes it there first and returns it, so a
// message is shown at most once even if the program ends with it open.
std::optional<std::string> TakeNewNews(const std::string& folder, std::string_view fetched);

// The news check of a start: fetches the message file from the product site
// (nothing when its address is empty or the fetch fails) and returns the
// message to show, if any. Runs on a thread of its own.
std::optional<std::string> CheckNews(Context& ctx);

}  // namespace orvi
