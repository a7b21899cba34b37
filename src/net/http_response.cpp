#include "net/http_response.h"

#include <algorithm>

#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t kNpos = std::string_view::npos;

// What the headers say about where the body ends.
struct Framing {
  int status = 0;  // 0: no readable status line
  bool chunked = false;
  bool hasLength = false;
  size_t length = 0;
  bool badLength = false;
};

Framing ParseFraming(std::string_view headers) {
  Framing f;
  size_t lineEnd = headers.find('\n');
  std::string_view statusLine = headers.substr(0, lineEnd);
  if (StartsWithIgnoreCase(statusLine, "HTTP/")) {
    size_t space = statusLine.find(' ');
    if (space != kNpos) {
      std::string_view code = statusLine.substr(space + 1, 3);
      if (code.size() == 3 && std::all_of(code.begin(), code.end(),
                                          [](char c) { return c >= '0' && c <= '9'; })) {
        f.status = ParseIntLoose(code);
      }
    }
  }
  while (lineEnd != kNpos) {
    size_t start = lineEnd + 1;
    lineEnd = headers.find('\n', start);
    std::string_view line = headers.substr(start, lineEnd == kNpos ? kNpos : lineEnd - start);
    size_t colon = line.find(':');
    if (colon == kNpos) continue;
    std::string_view name = TrimWhite(line.substr(0, colon));
    std::string_view value = TrimWhite(line.substr(colon + 1));
    if (EqualsIgnoreCase(name, "Transfer-Encoding")) {
      if (AsciiLower(value).find("chunked") != std::string::npos) f.chunked = true;
    } else if (EqualsIgnoreCase(name, "Content-Length")) {
      bool digits = !value.empty() && value.size() <= 15 &&
                    std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
      size_t length = 0;
      for (char c : value) length = length * 10 + static_cast<size_t>(c - '0');
      if (!digits || (f.hasLength && f.length != length)) f.badLength = true;
      f.hasLength = true;
      f.length = digits ? length : 0;
    }
  }
  return f;
}

enum class LineStatus { NeedMore, Bad, Ok };

struct ChunkLine {
  LineStatus status = LineStatus::NeedMore;
  size_t size = 0;
  size_t dataStart = 0;
};

// Reads the chunk-size line at pos: hex digits, then optional white space or
// extensions after ";", up to LF.
ChunkLine ParseChunkLine(std::string_view data, size_t pos) {
  constexpr size_t kLongestLine = 1024;
  ChunkLine line;
  size_t lf = data.find('\n', pos);
  if (lf == kNpos) {
    line.status = data.size() - pos > kLongestLine ? LineStatus::Bad : LineStatus::NeedMore;
    return line;
  }
  size_t i = pos;
  int digits = 0;
  for (; i < lf && HexValue(data[i]) >= 0; ++i, ++digits) {
    if (digits == 15) {  // larger than any body this client takes
      line.status = LineStatus::Bad;
      return line;
    }
    line.size = line.size * 16 + static_cast<size_t>(HexValue(data[i]));
  }
  bool restOk = i == lf || data[i] == ';' || data[i] == ' ' || data[i] == '\t' || data[i] == '\r';
  line.status = (digits > 0 && restOk) ? LineStatus::Ok : LineStatus::Bad;
  line.dataStart = lf + 1;
  return line;
}

// Where the CR LF after a chunk's data ends: npos if it has not all arrived,
// or (as Bad) if something else stands there.
LineStatus SkipChunkEnd(std::string_view data, size_t& pos) {
  if (pos >= data.size()) return LineStatus::NeedMore;
  if (data[pos] == '\n') {
    ++pos;
    return LineStatus::Ok;
  }
  if (data[pos] != '\r') return LineStatus::Bad;
  if (pos + 1 >= data.size()) return LineStatus::NeedMore;
  if (data[pos + 1] != '\n') return LineStatus::Bad;
  pos += 2;
  return LineStatus::Ok;
}

// After the last chunk: trailer lines up to an empty one.
bool TrailerComplete(std::string_view data, size_t pos) {
  for (;;) {
    size_t lf = data.find('\n', pos);
    if (lf == kNpos) return false;
    if (lf == pos || (lf == pos + 1 && data[pos] == '\r')) return true;
    pos = lf + 1;
  }
}

}  // namespace

HeaderEnd FindHeaderEnd(std::string_view text) {
  size_t crlf = text.find("\r\n\r\n");
  size_t lflf = text.find("\n\n");
  HeaderEnd end;
  if (crlf != kNpos && (lflf == kNpos || crlf < lflf)) {
    end.marker = crlf;
    end.length = 4;
  } else if (lflf != kNpos) {
    end.marker = lflf;
    end.length = 2;
  }
  return end;
}

void ResponseFraming::ReadHeaders(std::string_view received, const HeaderEnd& end) {
  bodyStart_ = end.bodyStart();
  Framing f = ParseFraming(received.substr(0, end.marker));
  if (f.status == 0) {
    mode_ = Mode::Unframed;
  } else if ((f.status >= 100 && f.status < 200) || f.status == 204 || f.status == 304) {
    mode_ = Mode::Done;
  } else if (f.chunked) {
    mode_ = Mode::Chunked;
    chunkCursor_ = bodyStart_;
  } else if (f.hasLength && !f.badLength) {
    mode_ = Mode::Length;
    contentLength_ = f.length;
  } else {
    mode_ = Mode::Unframed;
  }
}

bool ResponseFraming::Complete(std::string_view received) {
  if (mode_ == Mode::Headers) {
    // Search again only the new bytes, with room for a marker split across reads.
    size_t from = scanned_ > 3 ? scanned_ - 3 : 0;
    HeaderEnd end = FindHeaderEnd(received.substr(from));
    scanned_ = received.size();
    if (!end.found()) return false;
    end.marker += from;
    ReadHeaders(received, end);
  }
  switch (mode_) {
    case Mode::Done:
      return true;
    case Mode::Unframed:
    case Mode::Headers:
      return false;
    case Mode::Length:
      if (received.size() - std::min(received.size(), bodyStart_) < contentLength_) return false;
      mode_ = Mode::Done;
      return true;
    case Mode::Chunked:
      for (;;) {
        ChunkLine line = ParseChunkLine(received, chunkCursor_);
        if (line.status == LineStatus::NeedMore) return false;
        if (line.status == LineStatus::Bad) {
          mode_ = Mode::Unframed;  // not chunked after all: read until the server closes
          return false;
        }
        if (line.size == 0) {
          if (!TrailerComplete(received, line.dataStart)) return false;
          mode_ = Mode::Done;
          return true;
        }
        if (line.size > received.size() - line.dataStart) return false;
        size_t next = line.dataStart + line.size;
        LineStatus after = SkipChunkEnd(received, next);
        if (after == LineStatus::NeedMore) return false;
        if (after == LineStatus::Bad) {
          mode_ = Mode::Unframed;
          return false;
        }
        chunkCursor_ = next;
      }
  }
  return false;
}

std::optional<std::string_view> HeaderField(std::string_view response, std::string_view name) {
  HeaderEnd end = FindHeaderEnd(response);
  std::string_view headers = end.found() ? response.substr(0, end.marker) : response;
  // The status line is no field; the fields follow it, one per line.
  for (size_t lf = headers.find('\n'); lf != kNpos;) {
    size_t start = lf + 1;
    lf = headers.find('\n', start);
    std::string_view line = headers.substr(start, lf == kNpos ? kNpos : lf - start);
    if (line.size() > name.size() && line[name.size()] == ':' &&
        EqualsIgnoreCase(line.substr(0, name.size()), name)) {
      return TrimWhite(line.substr(name.size() + 1));
    }
  }
  return std::nullopt;
}

bool IsChunked(std::string_view headers) { return ParseFraming(headers).chunked; }

std::string DecodeChunkedBody(std::string_view body) {
  std::string out;
  size_t pos = 0;
  for (bool first = true;; first = false) {
    ChunkLine line = ParseChunkLine(body, pos);
    if (line.status == LineStatus::Bad && first) return std::string(body);
    if (line.status != LineStatus::Ok || line.size == 0) break;
    size_t available = std::min(line.size, body.size() - line.dataStart);
    out.append(body.substr(line.dataStart, available));
    if (available < line.size) break;
    pos = line.dataStart + line.size;
    if (SkipChunkEnd(body, pos) != LineStatus::Ok) break;
  }
  return out;
}

namespace {

// Whether a redirection leads to a not-found page: "404" in its status line
// or in the path of its Location. Other headers (a date, an ETag, a cookie, a
// length) and the host and port of the Location may hold those digits by
// chance; the body is not the server's word on where it sends.
bool RedirectsToNotFound(std::string_view response) {
  size_t headersEnd = FindHeaderEnd(response).marker;
  std::string_view headers = response.substr(0, headersEnd);
  size_t lineEnd = headers.find('\n');
  if (headers.substr(0, lineEnd).find("404") != kNpos) return true;
  while (lineEnd != kNpos) {
    size_t start = lineEnd + 1;
    lineEnd = headers.find('\n', start);
    std::string_view line = headers.substr(start, lineEnd == kNpos ? kNpos : lineEnd - start);
    if (!StartsWithIgnoreCase(line, "location:")) continue;
    std::string_view target = line.substr(9);
    // An absolute Location: its path begins at the first "/" after "//".
    if (size_t scheme = target.find("//"); scheme != kNpos) {
      size_t path = target.find('/', scheme + 2);
      target = path == kNpos ? std::string_view() : target.substr(path);
    }
    if (target.find("404") != kNpos) return true;
  }
  return false;
}

}  // namespace

FetchOutcome InterpretResponse(std::string received, FetchError label) {
  if (received.empty()) return {std::nullopt, label == FetchError::None ? FetchError::NRead0 : label};
  HeaderEnd end = FindHeaderEnd(received);
  if (end.found() && IsChunked(std::string_view(received).substr(0, end.marker))) {
    std::string body = DecodeChunkedBody(std::string_view(received).substr(end.bodyStart()));
    received.resize(end.bodyStart());
    received += body;
  }
  size_t space = received.find(' ');
  if (space == std::string::npos) {
    return {std::nullopt, label == FetchError::None ? FetchError::NoSpace : label};
  }
  // Whatever its first space is followed by, a reply that is not HTTP has no status.
  if (!IsHttpResponse(received)) {
    return {std::nullopt, label == FetchError::None ? FetchError::Status40x : label};
  }
  char digit = space + 1 < received.size() ? received[space + 1] : '\0';
  if (digit == '3') {
    if (RedirectsToNotFound(received)) return {std::nullopt, FetchError::NotFound404};
    return {std::move(received), FetchError::Redirect};
  }
  if (label != FetchError::None) return {std::nullopt, label};
  if (digit != '2') return {std::nullopt, FetchError::Status40x};
  if (!end.found()) return {std::nullopt, FetchError::NoCRLF};
  // The body starts two characters past the start of the marker, so after a
  // "\r\n\r\n" it begins with "\r\n", as the page readers expect.
  received.erase(0, end.marker + 2);
  return {std::move(received), FetchError::None};
}

}  // namespace orvi
