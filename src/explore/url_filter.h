#pragma once

#include <string_view>

#include "core/context.h"
#include "explore/queue.h"

namespace orvi {

// The filters a URL passes before it may enter the exploration queue, on its
// lower-case form (at most 239 characters): file and media links, free-hosting
// folders, known sites, statistics and tracking pages and, unless the active
// profile allows news, forums, news articles, vote and counter scripts and
// date-stamped article paths are refused. queueCount is the queue's current
// size; isCacheLink tells whether the URL is a search engine's cache link.
bool PassesUrlFilters(const Context& ctx, std::string_view lowerUrl, int queueCount,
                      bool& isCacheLink);

// The free-hosting row whose host fragment the lower-case URL holds, or null.
const HostingServer* ServerHostOf(const HostSettings& hosts, std::string_view lowerUrl);

}  // namespace orvi
