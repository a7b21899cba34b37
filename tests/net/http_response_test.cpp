#include "net/http_response.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvi {
namespace {

constexpr auto kNone = FetchError::None;

// The status decides the outcome; a label the transfer ended with stands,
// except for a redirection, which is complete without its body.
TEST(InterpretResponse, StatusAndEarlierLabelDecideTheOutcome) {
  const std::string redirect = "HTTP/1.1 302 Found\r\nLocation: http://a/b\r\n\r\n";
  struct {
    std::string raw;
    FetchError earlier, label;
    std::optional<std::string> text;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nA: b\r\n\r\n<html>x</html>", kNone, kNone, "\r\n<html>x</html>"},
      {"HTTP/1.0 200 OK\nA: b\n\nbody", kNone, kNone, "body"},
      // Whichever marker comes first ends the headers.
      {"HTTP/1.0 200 OK\nA: b\n\nbody\r\n\r\nmore", kNone, kNone, "body\r\n\r\nmore"},
      {redirect, kNone, FetchError::Redirect, redirect},  // the whole response, for Location
      // "404" counts in the status line and the Location's path only: a
      // redirect to a port, date, tag, cookie or length holding those digits
      // is no not-found page.
      {"HTTP/1.1 301 M\r\nLocation: /404.html\r\n\r\n", kNone, FetchError::NotFound404, {}},
      {"HTTP/1.1 302 F\r\nlocation: http://a:80/errors/e404\r\n\r\n", kNone, FetchError::NotFound404, {}},
      {"HTTP/1.1 302 404\r\nLocation: /x\r\n\r\n", kNone, FetchError::NotFound404, {}},
      {"HTTP/1.1 301 M\r\nLocation: http://127.0.0.1:40412/files/\r\n\r\n", kNone, FetchError::Redirect, {}},
      {"HTTP/1.1 301 M\r\nLocation: http://h404.example\r\n\r\n", kNone, FetchError::Redirect, {}},
      {"HTTP/1.1 302 F\r\nDate: Mon, 14 Dec 2026 14:04:04 GMT\r\nETag: \"5404\"\r\n"
       "Set-Cookie: id=404\r\nContent-Length: 404\r\nLocation: /ok\r\n\r\nsee /404",
       kNone, FetchError::Redirect, {}},
      {"HTTP/1.1 404 Not Found\r\n\r\n", kNone, FetchError::Status40x, {}},
      {"HTTP/1.1 500 Oops\r\n\r\n", kNone, FetchError::Status40x, {}},
      {"HTTP/1.1 200 OK\r\nno blank line", kNone, FetchError::NoCRLF, {}},
      {"HTTP/1.1\r\n\r\n", kNone, FetchError::NoSpace, {}},
      {"", kNone, FetchError::NRead0, {}},
      // A reply that is not HTTP has no status, whatever follows its first space.
      {std::string("\0\1\2 2\0", 6), kNone, FetchError::Status40x, {}},
      {"\x9c 2\r\n\r\nbody", kNone, FetchError::Status40x, {}},
      {"xHTTP/1.1 200 OK\r\n\r\nbody", kNone, FetchError::Status40x, {}},
      {"junk 301 Moved\r\nLocation: http://a/b\r\n\r\n", kNone, FetchError::Status40x, {}},
      {"http/1.1 200 OK\r\n\r\nbody", kNone, FetchError::Status40x, {}},
      // A page that stalled before 1024 bytes is a time-out, not a page.
      {"HTTP/1.1 200 OK\r\n\r\npartial", FetchError::Timeout, FetchError::Timeout, {}},
      {"", FetchError::Send, FetchError::Send, {}},
      {"nospace", FetchError::Recv, FetchError::Recv, {}},
      {"HTTP/1.1 500 x\r\n\r\n", FetchError::Timeout, FetchError::Timeout, {}},
      {"HTTP/1.1 302 x\r\nLocation: /a\r\n", FetchError::Timeout, FetchError::Redirect,
       "HTTP/1.1 302 x\r\nLocation: /a\r\n"},
  };
  for (const auto& c : cases) {
    FetchOutcome out = InterpretResponse(c.raw, c.earlier);
    EXPECT_EQ(out.label, c.label) << c.raw;
    if (c.label == FetchError::Redirect && !c.text) continue;  // the text is the response
    EXPECT_EQ(out.text, c.text) << c.raw;
  }
}

TEST(InterpretResponse, DecodesChunkedBodies) {
  struct {
    std::string raw;
    std::string text;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "5;ext=1\r\n<a hr\r\n7\r\nef=x.zi\r\n2\r\np>\r\n0\r\nTrailer: t\r\n\r\n",
       "\r\n<a href=x.zip>"},
      // Cut short: what arrived.
      {"HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\na\r\n0123", "\r\n0123"},
      // Announced but not chunked at all: left as it came.
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n<html>\r\n", "\r\n<html>\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(InterpretResponse(c.raw, kNone).text, c.text) << c.raw;
  // Chunk-size lines cannot forge a 404 in a redirection.
  EXPECT_EQ(InterpretResponse("HTTP/1.1 302 F\r\nTransfer-Encoding: chunked\r\nLocation: /a\r\n\r\n404\r\n" +
                                  std::string(0x404, 'x') + "\r\n0\r\n\r\n",
                              kNone)
                .label,
            FetchError::Redirect);

  EXPECT_EQ(DecodeChunkedBody("3\nabc\n0\n\n"), "abc");  // bare LF line ends
  EXPECT_EQ(DecodeChunkedBody(""), "");
  EXPECT_EQ(DecodeChunkedBody("fffffffffffffffffff\r\nabc"), "fffffffffffffffffff\r\nabc");
  EXPECT_EQ(DecodeChunkedBody("2\r\nab\r\nzz\r\ncd"), "ab");  // garbage after a good chunk
  EXPECT_EQ(DecodeChunkedBody("ffffffff\r\nab"), "ab");
}

// Framed responses are complete at their end, whatever pieces they come in;
// unframed or badly framed ones wait for the close.
TEST(ResponseFraming, CompleteAtTheFramingsEndOrNever) {
  const std::string sized = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789";
  const std::string chunked =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n"
      "4\r\nabcd\r\n3\r\nefg\r\n0\r\n\r\n";
  struct {
    std::string response;
    bool complete;
  } cases[] = {
      {sized, true},
      {chunked, true},
      {"HTTP/1.1 204 No Content\r\nA: b\r\n\r\n", true},
      {"HTTP/1.1 200 OK\nContent-Length: 0\n\n", true},
      {"HTTP/1.1 200 OK\r\n\r\nbody without length", false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\nshort", false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\nabc", false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", false},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nnot chunks\r\n", false},
      {"garbage\r\n\r\nContent-Length: 0\r\n", false},
      {std::string(5000, '\0'), false},
  };
  for (const auto& c : cases) {
    for (size_t piece : {1u, 3u, 7u, 512u, 4096u}) {
      // How many bytes the framing had when it said the response was complete.
      ResponseFraming framing;
      size_t completeAt = 0;
      for (size_t n = piece; completeAt == 0; n += piece) {
        n = std::min(n, c.response.size());
        if (framing.Complete(std::string_view(c.response).substr(0, n))) completeAt = n;
        if (n == c.response.size()) break;
      }
      EXPECT_EQ(completeAt, c.complete ? c.response.size() : 0) << c.response << " by " << piece;
    }
  }
}

// A field is a line that begins with its name and a colon: look-alike names
// and values that mention a name do not count.
TEST(HeaderField, OnlyALineThatBeginsWithTheName) {
  struct {
    const char* response;
    std::optional<std::string_view> value;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 1234\r\n\r\n", "1234"},
      {"HTTP/1.1 200 OK\r\ncontent-LENGTH:77 \r\n\r\n", "77"},
      {"HTTP/1.1 200 OK\r\nX-Max-Length: 7\r\nContent-Length: 99\r\n\r\n", "99"},
      {"HTTP/1.1 200 OK\r\nX-Max-Length: 7\r\n\r\n", {}},
      {"HTTP/1.1 200 OK\r\nX-Note: Content-Length: 5\r\n\r\n", {}},
      {"HTTP/1.1 200 OK\r\nContent-Length : 5\r\n\r\n", {}},
      {"HTTP/1.1 200 OK\nContent-Length: 12\n\nContent-Length: 13\n", "12"},
      // Past the header block it is body text.
      {"HTTP/1.1 200 OK\r\n\r\nContent-Length: 13\r\n", {}},
      // The status line is no field.
      {"Content-Length: 3\r\n\r\n", {}},
      {"HTTP/1.1 200 OK\r\nContent-Length:", ""},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(HeaderField(c.response, "Content-Length"), c.value) << c.response;
}

}  // namespace
}  // namespace orvi
