#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "net/fetch_error.h"

namespace orvi {

// Where the headers of a response end: the first "\r\n\r\n" or "\n\n",
// whichever comes first.
struct HeaderEnd {
  size_t marker = std::string_view::npos;  // npos: not (yet) found
  size_t length = 0;                       // 4 or 2
  bool found() const { return marker != std::string_view::npos; }
  size_t bodyStart() const { return marker + length; }
};
HeaderEnd FindHeaderEnd(std::string_view text);

// Tells, from the bytes received so far, whether the response is complete
// because its own framing says so: Content-Length reached, the last chunk of a
// chunked body, or a status that carries no body. A response without such
// framing is complete only when the server closes. Feed it the whole text
// received so far after each read; it keeps its place, so the cost of a page
// stays linear.
class ResponseFraming {
 public:
  bool Complete(std::string_view received);

 private:
  enum class Mode { Headers, Length, Chunked, Unframed, Done };
  void ReadHeaders(std::string_view received, const HeaderEnd& end);

  Mode mode_ = Mode::Headers;
  size_t bodyStart_ = 0;
  size_t contentLength_ = 0;
  size_t chunkCursor_ = 0;  // offset of the next chunk-size line
  size_t scanned_ = 0;      // bytes already searched for the header end
};

// What a chunked body holds. Stops at the last chunk; a body cut short gives
// what arrived. A body whose first size line is not one is returned unchanged.
std::string DecodeChunkedBody(std::string_view body);

// Whether the headers of a response announce a chunked body.
bool IsChunked(std::string_view headers);

// Whether a reply is an HTTP response at all: its status line begins with
// "HTTP/". Anything else (a banner, binary junk) is no answer.
inline bool IsHttpResponse(std::string_view text) { return text.starts_with("HTTP/"); }

// The value of a header field: the first line of the header block that begins
// with the name (letter case ignored) directly followed by a colon, its value
// without the blanks around it. A name found inside another field's name or
// value does not count. Nothing when no line names the field.
std::optional<std::string_view> HeaderField(std::string_view response, std::string_view name);

struct FetchOutcome {
  std::optional<std::string> text;
  FetchError label = FetchError::None;
};

// The result handling of a page fetch, given all that was received and the
// label the transfer ended with: the status decides between body, whole
// response ("3xx") and failure labels. A chunked body is decoded first, so the
// text is the page itself. Text comes back only with no label or with "3xx".
FetchOutcome InterpretResponse(std::string received, FetchError label);

}  // namespace orvi
