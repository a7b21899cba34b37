#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/web_engines.h"

namespace orvi {

// What one answer of today's engines gave, read by the engine's row.
struct WebPage {
  enum class Kind {
    Results,  // results were read (or a JSON page said there are none)
    Blocked,  // the engine refuses us: reason says why
    Unknown,  // a page with neither results nor a block marker
    Failed,   // any other status
  };
  Kind kind = Kind::Unknown;
  std::vector<std::string> links;  // unwrapped, ads left out, at most 239 characters
  bool next = false;               // the engine offers a next page
  int nextPaging = 0;              // the next page's paging value
  std::string nextBody;            // with NextForm: that page's form body
  std::string reason;              // of a block
  // The row's own sentence for that status (a reason holding a space), said
  // as it is; a word goes into the usual "blocked, try later" sentence.
  bool reasonSaysAll = false;
};

// Reads an answer of status `status`; `paging` is the paging value the
// request sent (0 for page 1), so that the next page's is known.
WebPage ReadWebPage(const WebEngine& row, int status, std::string_view body, int paging);

// The paging value of the page after the one that sent `paging` (0: page 1).
int NextPaging(const WebEngine& row, int paging);

// The address behind a wrapped one (DuckDuckGo's uddg, Bing's u=a1 base64url),
// "//host" made https; the address itself when it wraps nothing.
std::string UnwrapLink(const WebEngine& row, std::string_view link);

}  // namespace orvi
