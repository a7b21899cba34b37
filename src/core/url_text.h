#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvi {

// The fixed lengths that link values, URLs and file names are cut to (never
// refused for their length), and the base taken from a search engine's cache
// link, which leaves room for what is appended to it.
constexpr size_t kMaxLinkChars = 239;
constexpr size_t kMaxNameChars = 79;
constexpr size_t kMaxCacheBaseChars = 233;

// Every run of CR, LF, tab and space becomes one space. A page is folded
// before anything searches it, so that markers split across lines are found.
void CollapseWhitespace(std::string& text);

// Every "%" followed by two hexadecimal digits (either case) of non-zero value
// becomes that byte; any other "%" stays. Decoded bytes are not read again.
void UrlDecode(std::string& text);

// The file name a link's last segment gives, as the program keeps it (at
// most kMaxNameChars): URL-decoded. Decoded bytes that are UTF-8 (what pages
// written today send) become the Windows-1252 text of their characters;
// when one of them has no Windows-1252 byte (Cyrillic, CJK, ...), the name
// stays as the link writes it, every byte above 127 percent-encoded, and is
// cut between characters. Bytes that are not UTF-8 are taken as
// Windows-1252 already.
std::string DecodeFileName(std::string_view linkName);

// The target of a reference found on (or sent by) the page at `base`, as
// RFC 3986 section 5.2 resolves it: a scheme-relative "//host/x" takes the
// base's scheme, a query-only or fragment-only reference keeps the base's
// path, and "." and ".." segments of the path are removed (never those of a
// query). Nothing is cut.
std::string ResolveReference(std::string_view base, std::string_view reference);

// A value as a form body or a query string carries it: letters, digits and
// "-._*" as they are, space as "+", any other byte as %XX.
std::string FormEncode(std::string_view value);

// Trailing spaces go, every other space is written "%20", and the result is
// cut at kMaxLinkChars.
void EncodeSpaces(std::string& url);

// A link as a page gives it, made fit to keep: cut at kMaxLinkChars, the
// leftovers of an HTML tag ("%20class", "%20target") dropped, spaces encoded
// as EncodeSpaces does. The queue and the catalogue keep links in this form.
std::string CleanLinkUrl(std::string_view url);

// The text without its leading and trailing spaces (spaces only).
std::string TrimSpaces(std::string_view text);

// The address a redirection's Location names, resolved against the address
// that was fetched (ResolveReference). Unlike a link, a final "/" stays: it is
// what the server asked for (a folder without it would only redirect again).
// Empty for an empty Location; at most kMaxLinkChars.
std::string ResolveLocation(std::string_view fetchedUrl, std::string_view location);

}  // namespace orvi
