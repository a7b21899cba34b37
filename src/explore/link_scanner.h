#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "core/url_text.h"
#include "explore/link_sink.h"

namespace orvi {

// HTML is read by substring search, never parsed. A scanner is given the page
// twice, with the same length: in lower case, where it searches, and as
// fetched, from which it copies what it keeps at the same offsets.

// The next link value at or after `start`: after "href" and its "=" (an "="
// 17 or more characters away is taken as part of the value), or, withOpen,
// after "open(" when that comes first. A double-quoted value holding an
// apostrophe-quoted one (a script call) gives the inner value. The value is
// copied from `fetched` (at most kMaxLinkChars). Returns the position of the
// closing quote, or just after the last character of an unquoted value (which
// runs to ">" without its trailing spaces); nothing when no value starts or
// its closing character is missing.
std::optional<size_t> ExtractLinkValue(std::string_view lower, std::string_view fetched,
                                       size_t start, std::string& value, bool withOpen);
// The same, copying the value from the searched text.
std::optional<size_t> ExtractLinkValue(std::string_view lower, size_t start, std::string& value,
                                       bool withOpen);

// The absolute URL of `link` found on the page `pageUrl` (at most
// kMaxLinkChars), resolved as a browser does (ResolveReference), except that
// "www." links get "http://", a search engine's cache link stands for the
// page it caches, one final "/" goes and spaces are encoded.
std::string ResolveUrl(std::string_view pageUrl, std::string_view link);

// Queues the URL of a script's ".location" redirection ("...'url'"), resolved
// against the page when relative. The caller runs it only on pages that hold
// both "window.location" and "refresh".
void ScanScriptRedirect(std::string_view lower, std::string_view fetched,
                        const std::string& pageUrl, int depth, LinkSink& sink);

// Queues the sources of a frameset's frames, six added at most. A frame on a
// free hosting service, when the profile reports server folders, goes to the
// catalogue as a server folder instead and ends the scan.
void ScanFrames(Context& ctx, std::string_view lower, std::string_view fetched,
                const std::string& pageUrl, int depth, LinkSink& sink);

// Whether the value ends in "." and one of `extensions` (so at most five
// characters after the dot). The look-back stays inside `value`.
bool HasWantedExtension(std::string_view value, const std::vector<std::string>& extensions);

// The numbered-series test on the value lower[valueStart, valueEnd): true, with
// seriesFlag set, when the next link (ending within 300 characters) has the
// same extension and its name holds, at the offset of a digit of this name,
// that digit's successor ("part1" then "part2"; "9" then "10" is no series).
bool IsNumberedSeries(std::string_view lower, size_t valueStart, size_t valueEnd,
                      bool& seriesFlag);

// The name test of FileNameMode 1 and 2 on a file name (decoded as
// DecodeFileName does, then its extension of up to four characters and the
// dot removed): 2 wants it equal to bareName, 1 wants it to hold one of
// namePrefixes. Any other mode asks nothing of the name.
bool MatchesFileName(std::string_view name, int mode, const std::vector<std::string>& namePrefixes,
                     std::string_view bareName);

}  // namespace orvi
