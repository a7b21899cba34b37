#include "net/http_response.h"

#include <gtest/gtest.h>

namespace orvi {
namespace {

FetchOutcome Interpret(const std::string& raw, FetchError label = FetchError::None) {
  return InterpretResponse(raw, label);
}

TEST(InterpretResponse, StatusDecidesTheOutcome) {
  FetchOutcome ok = Interpret("HTTP/1.1 200 OK\r\nA: b\r\n\r\n<html>x</html>");
  EXPECT_EQ(ok.label, FetchError::None);
  EXPECT_EQ(ok.text, "\r\n<html>x</html>");  // two past the marker's start
  ok = Interpret("HTTP/1.0 200 OK\nA: b\n\nbody");
  EXPECT_EQ(ok.text, "body");
  // Whichever marker comes first ends the headers.
  ok = Interpret("HTTP/1.0 200 OK\nA: b\n\nbody\r\n\r\nmore");
  EXPECT_EQ(ok.text, "body\r\n\r\nmore");

  std::string redirect = "HTTP/1.1 302 Found\r\nLocation: http://a/b\r\n\r\n";
  FetchOutcome moved = Interpret(redirect);
  EXPECT_EQ(moved.label, FetchError::Redirect);
  EXPECT_EQ(moved.text, redirect);  // the whole response, for Location
  // "404" counts in the status line and the Location's path only: a redirect
  // to a port, date, tag, cookie or length holding those digits is no
  // not-found page.
  const struct {
    const char* response;
    FetchError label;
  } redirects[] = {
      {"HTTP/1.1 301 M\r\nLocation: /404.html\r\n\r\n", FetchError::NotFound404},
      {"HTTP/1.1 302 F\r\nlocation: http://a:80/errors/e404\r\n\r\n", FetchError::NotFound404},
      {"HTTP/1.1 302 404\r\nLocation: /x\r\n\r\n", FetchError::NotFound404},
      {"HTTP/1.1 301 M\r\nLocation: http://127.0.0.1:40412/files/\r\n\r\n", FetchError::Redirect},
      {"HTTP/1.1 301 M\r\nLocation: http://h404.example\r\n\r\n", FetchError::Redirect},
      {"HTTP/1.1 302 F\r\nDate: Mon, 14 Dec 2026 14:04:04 GMT\r\nETag: \"5404\"\r\n"
       "Set-Cookie: id=404\r\nContent-Length: 404\r\nLocation: /ok\r\n\r\nsee /404",
       FetchError::Redirect},
  };
  for (const auto& r : redirects) EXPECT_EQ(Interpret(r.response).label, r.label) << r.response;

  EXPECT_EQ(Interpret("HTTP/1.1 404 Not Found\r\n\r\n").label, FetchError::Status40x);
  EXPECT_EQ(Interpret("HTTP/1.1 500 Oops\r\n\r\n").label, FetchError::Status40x);
  EXPECT_EQ(Interpret("HTTP/1.1 200 OK\r\nno blank line").label, FetchError::NoCRLF);
  EXPECT_EQ(Interpret("HTTP/1.1\r\n\r\n").label, FetchError::NoSpace);
  EXPECT_EQ(Interpret("").label, FetchError::NRead0);
  // A reply that is not HTTP has no status, whatever follows its first space.
  for (const std::string& junk :
       {std::string("\0\1\2 2\0", 6), std::string("junk "), std::string("\x9c 2\r\n\r\nbody"),
        std::string("xHTTP/1.1 200 OK\r\n\r\nbody"), std::string("SSH-2.0 2\r\n\r\n"),
        std::string("junk 301 Moved\r\nLocation: http://a/b\r\n\r\n"),
        std::string("http/1.1 200 OK\r\n\r\nbody")}) {
    FetchOutcome out = Interpret(junk);
    EXPECT_EQ(out.label, FetchError::Status40x) << junk;
    EXPECT_FALSE(out.text.has_value()) << junk;
  }
  for (const FetchOutcome& failed : {Interpret("HTTP/1.1 404 x\r\n\r\n")}) {
    EXPECT_FALSE(failed.text.has_value());
  }
}

TEST(InterpretResponse, AnEarlierFailureKeepsItsLabel) {
  // A page that stalled before 1024 bytes is a time-out, not a page.
  FetchOutcome out = Interpret("HTTP/1.1 200 OK\r\n\r\npartial", FetchError::Timeout);
  EXPECT_EQ(out.label, FetchError::Timeout);
  EXPECT_FALSE(out.text.has_value());
  EXPECT_EQ(Interpret("", FetchError::Send).label, FetchError::Send);
  EXPECT_EQ(Interpret("nospace", FetchError::Recv).label, FetchError::Recv);
  EXPECT_EQ(Interpret("HTTP/1.1 500 x\r\n\r\n", FetchError::Timeout).label, FetchError::Timeout);
  // A redirection is complete without its body.
  EXPECT_EQ(Interpret("HTTP/1.1 302 x\r\nLocation: /a\r\n", FetchError::Timeout).label,
            FetchError::Redirect);
}

TEST(InterpretResponse, DecodesChunkedBodies) {
  FetchOutcome out = Interpret(
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
      "5;ext=1\r\n<a hr\r\n7\r\nef=x.zi\r\n2\r\np>\r\n0\r\nTrailer: t\r\n\r\n");
  EXPECT_EQ(out.text, "\r\n<a href=x.zip>");
  // Cut short: what arrived.
  out = Interpret("HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\na\r\n0123");
  EXPECT_EQ(out.text, "\r\n0123");
  // Announced but not chunked at all: left as it came.
  out = Interpret("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n<html>\r\n");
  EXPECT_EQ(out.text, "\r\n<html>\r\n");
  // Chunk-size lines cannot forge a 404 in a redirection.
  out = Interpret("HTTP/1.1 302 F\r\nTransfer-Encoding: chunked\r\nLocation: /a\r\n\r\n404\r\n" +
                  std::string(0x404, 'x') + "\r\n0\r\n\r\n");
  EXPECT_EQ(out.label, FetchError::Redirect);
}

TEST(DecodeChunkedBody, EdgeCases) {
  EXPECT_EQ(DecodeChunkedBody("3\nabc\n0\n\n"), "abc");  // bare LF line ends
  EXPECT_EQ(DecodeChunkedBody(""), "");
  EXPECT_EQ(DecodeChunkedBody("fffffffffffffffffff\r\nabc"), "fffffffffffffffffff\r\nabc");
  EXPECT_EQ(DecodeChunkedBody("2\r\nab\r\nzz\r\ncd"), "ab");  // garbage after a good chunk
  EXPECT_EQ(DecodeChunkedBody("ffffffff\r\nab"), "ab");
}

// Feeds a response to the framing in pieces; returns how many bytes it had
// when it said the response was complete (0: never).
size_t CompleteAfter(const std::string& response, size_t piece) {
  ResponseFraming framing;
  for (size_t n = piece; ; n += piece) {
    n = std::min(n, response.size());
    if (framing.Complete(std::string_view(response).substr(0, n))) return n;
    if (n == response.size()) return 0;
  }
}

TEST(ResponseFraming, KnowsWhereFramedResponsesEnd) {
  std::string sized = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789";
  for (size_t piece : {1u, 3u, 7u, 4096u}) {
    EXPECT_EQ(CompleteAfter(sized, piece), sized.size()) << piece;
  }
  std::string chunked =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n"
      "4\r\nabcd\r\n3\r\nefg\r\n0\r\n\r\n";
  for (size_t piece : {1u, 2u, 5u, 4096u}) {
    EXPECT_EQ(CompleteAfter(chunked, piece), chunked.size()) << piece;
  }
  std::string noContent = "HTTP/1.1 204 No Content\r\nA: b\r\n\r\n";
  EXPECT_EQ(CompleteAfter(noContent, 4096), noContent.size());
  std::string empty = "HTTP/1.1 200 OK\nContent-Length: 0\n\n";
  EXPECT_EQ(CompleteAfter(empty, 4096), empty.size());
}

TEST(ResponseFraming, UnframedResponsesWaitForTheClose) {
  EXPECT_EQ(CompleteAfter("HTTP/1.1 200 OK\r\n\r\nbody without length", 5), 0u);
  EXPECT_EQ(CompleteAfter("HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\nshort", 5), 0u);
  EXPECT_EQ(CompleteAfter("HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\nabc", 5), 0u);
  EXPECT_EQ(CompleteAfter("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", 5), 0u);
  EXPECT_EQ(CompleteAfter("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nnot chunks\r\n", 3), 0u);
  EXPECT_EQ(CompleteAfter("garbage\r\n\r\nContent-Length: 0\r\n", 3), 0u);
  EXPECT_EQ(CompleteAfter(std::string(5000, '\0'), 512), 0u);
}

}  // namespace
}  // namespace orvi

namespace orvi {
namespace {

// A field is a line that begins with its name and a colon: look-alike names
// and values that mention a name do not count.
TEST(HeaderField, OnlyALineThatBeginsWithTheName) {
  struct {
    const char* response;
    const char* value;  // nullptr: no such field
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 1234\r\n\r\n", "1234"},
      {"HTTP/1.1 200 OK\r\ncontent-LENGTH:77 \r\n\r\n", "77"},
      {"HTTP/1.1 200 OK\r\nX-Max-Length: 7\r\nContent-Length: 99\r\n\r\n", "99"},
      {"HTTP/1.1 200 OK\r\nX-Max-Length: 7\r\n\r\n", nullptr},
      {"HTTP/1.1 200 OK\r\nX-Note: Content-Length: 5\r\n\r\n", nullptr},
      {"HTTP/1.1 200 OK\r\nContent-Length : 5\r\n\r\n", nullptr},
      {"HTTP/1.1 200 OK\nContent-Length: 12\n\nContent-Length: 13\n", "12"},
      // Past the header block it is body text.
      {"HTTP/1.1 200 OK\r\n\r\nContent-Length: 13\r\n", nullptr},
      // The status line is no field.
      {"Content-Length: 3\r\n\r\n", nullptr},
      {"HTTP/1.1 200 OK\r\nContent-Length:", ""},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    std::optional<std::string_view> value = HeaderField(c.response, "Content-Length");
    if (c.value == nullptr) {
      EXPECT_FALSE(value.has_value()) << c.response;
    } else {
      EXPECT_EQ(value, c.value) << c.response;
    }
  }
}

}  // namespace
}  // namespace orvi
