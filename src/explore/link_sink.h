#pragma once

#include <string>

#include "explore/found_by.h"

namespace orvi {

// Where the page scanners hand what they find: further pages to the
// exploration queue, file links and server folders to the found-file
// catalogue. Called from worker threads at the same time; an implementation
// takes its own locks.
class LinkSink {
 public:
  virtual ~LinkSink() = default;

  // Offers a page found by the exploration (engine 0) to the queue. True only
  // when it became a new entry: a refused URL and one already queued are false.
  virtual bool AcceptUrl(const std::string& url, FoundBy how, int depth) = 0;

  // Hands a file link, or a server folder under its "@label~n" name, to the
  // catalogue. lettered: the link belongs to a series of lettered volumes;
  // seriesLength: how many links were found together (0 or 1 alone). True
  // only when a new catalogue entry was created.
  virtual bool AddFoundLink(const std::string& name, const std::string& url,
                            const std::string& page, bool lettered, int seriesLength) = 0;
};

}  // namespace orvi
