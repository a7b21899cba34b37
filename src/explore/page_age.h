#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/context.h"

namespace orvi {

// The page-age test on a Last-Modified text as the file probe reads it ("15
// Nov 1994 08:12:31 GMT": month name at the fourth character, year at the
// eighth): true when the page is more than the profile's DateLimit months
// older than the start-up month. An unknown month or a year before 1950 reads
// as recent.
bool IsPageTooOld(const Context& ctx, std::string_view lastModified);

// The page-age test of a page about to be fetched, when the profile asks
// for one: a HEAD for its Last-Modified date. True when the page may be
// fetched, which it may when its date cannot be had. generation: the run the
// caller serves; a stopped run sends nothing.
bool MayFetch(Context& ctx, const std::string& url, uint64_t generation);

}  // namespace orvi
