#include "sandbox/http_message.h"

#include <gtest/gtest.h>

namespace orvi::sandbox {
namespace {

ParseResult Parse(std::string_view bytes, Request* out = nullptr) {
  Request request;
  ParseResult result = ParseRequest(bytes, request);
  if (out) *out = request;
  return result;
}

TEST(SandboxRequests, ReadsTheProgramsRequests) {
  Request r;
  ASSERT_EQ(Parse("GET /search/query.dll?p=0&q=mozart+%22a%22+-sex HTTP/1.1\r\nHost: 127.0.0.1:8421\r\n"
                  "Accept: */*\r\nCookie: cookie%5Ftest=true; wisenut=ppat=0&nnum=100&ssl=\r\n\r\n",
                  &r),
            ParseResult::Complete);
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.path, "/search/query.dll");
  EXPECT_EQ(r.Param("q"), "mozart \"a\" -sex");
  EXPECT_EQ(CookieField(r.Header("COOKIE"), "nnum"), "100");
  bool present = true;
  EXPECT_EQ(r.Param("pp", &present), "");
  EXPECT_FALSE(present);
  EXPECT_EQ(CookieField("xnnum=5&nnumx=6; nnum", "nnum"), "");

  // Through a proxy the target is the whole URL; LF alone ends lines too.
  ASSERT_EQ(Parse("HEAD http://127.0.0.1:8421/mp3/a%20b.mp3?x HTTP/1.0\nHost: h\n\n", &r), ParseResult::Complete);
  EXPECT_EQ(r.path, "/mp3/a b.mp3");
  EXPECT_EQ(r.rawQuery, "x");
  ASSERT_EQ(Parse("GET http://127.0.0.1:8421 HTTP/1.1\r\n\r\n", &r), ParseResult::Complete);
  EXPECT_EQ(r.path, "/");
}

TEST(SandboxRequests, UnfinishedTooLargeAndMalformedHeads) {
  EXPECT_EQ(Parse("GET / HTTP/1.1\r\nHost: x\r\n"), ParseResult::Incomplete);
  EXPECT_EQ(Parse("GET /" + std::string(kMaxRequestHead, 'a')), ParseResult::TooLarge);
  for (std::string_view head : {"GET /\r\n\r\n", "GET / HTTP/2.0\r\n\r\n", "GET  / HTTP/1.1\r\n\r\n",
                                "GET search HTTP/1.1\r\n\r\n", "GET /a\x01 HTTP/1.1\r\n\r\n",
                                "GET / HTTP/1.1\r\nNoColon\r\n\r\n", "GET / HTTP/1.1\r\nA: 1\r\n folded\r\n\r\n"}) {
    EXPECT_EQ(Parse(head), ParseResult::Malformed) << head;
  }
}

}  // namespace
}  // namespace orvi::sandbox
