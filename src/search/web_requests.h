#pragma once

#include <string_view>

#include "core/context.h"
#include "core/web_engines.h"
#include "net/http_request.h"

namespace orvi {

// The first page's request of one of today's engines for an engine query:
// the row's method, address and form body with their placeholders filled,
// and a current Firefox's headers with the system's language and the row's
// own headers and cookies.
WebRequest FirstWebRequest(const Context& ctx, const WebEngine& web, std::string_view engineQuery);

// The engine query as today's engines read it: UTF-8, percent-encoded.
std::string WebQuery(std::string_view query);

}  // namespace orvi
