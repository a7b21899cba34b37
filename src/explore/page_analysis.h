#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/context.h"
#include "explore/link_sink.h"
#include "net/fetch_error.h"

namespace orvi {

struct QueueEntry;

// The work of one exploration worker on its page: the page-age test when the
// profile asks for one, the fetch, and, if the search still runs, the entry
// marked done and the analysis of the page, whose finds go to the queue and
// the catalogue. False when the search was stopped during the fetch: the
// entry then stays taken and the worker counts nothing. generation: the run
// the worker serves; nothing is added once it has ended.
bool AnalysePage(Context& ctx, QueueEntry& entry, uint64_t generation);

// The analysis of what the fetch of `entry` gave: `page` is the body (or, with
// label Redirect, the whole response), nothing when the fetch failed or the
// age test refused the page. Follows script and server redirections and
// frames, reads the HTML page around each occurrence of the search text (or
// everywhere in systematic mode) for keyword links, nearby links, server
// folders and groups of wanted files, and queues the entry's cache link when
// the page gave nothing. Everything found goes to `sink`.
void AnalyseFetchedPage(Context& ctx, QueueEntry& entry, std::optional<std::string> page,
                        FetchError label, LinkSink& sink);

}  // namespace orvi
