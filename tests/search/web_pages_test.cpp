#include <gtest/gtest.h>

#include "search/web_pages.h"

namespace orvi {
namespace {

const WebEngine& Row(std::string_view id) {
  static const std::vector<WebEngine> rows = BuiltInWebEngines();
  return *FindWebEngine(rows, id);
}

// Pages written from each engine's markup as a browser meets it: attributes
// in any order, line breaks inside tags, either quote, entities in values.
TEST(WebPagesTest, EachEnginesResultsNextPageAndBlocks) {
  using K = WebPage::Kind;
  struct Case {
    const char* engine;
    int status;
    std::string page;
    int paging;  // sent with the request
    K kind;
    std::vector<std::string> links;
    int nextPaging;  // 0: last page
    std::string nextBodyOrReason;
  } cases[] = {
      {"mojeek", 200,
       "<ul><li><!--rs--><a class=\"ob\" href=\"http://x.example/ob\">o</a><h2><a\n  href=\"https://a.example/1?x=1&amp;y=2\"\n"
       " class=\"title\">One</a></h2><!--re--></li><li><!--rs--><a href='http://b.example/&#39;2&#x27;' class='title t'>"
       "Two</a><!--re--></li></ul><a class=\"title\" href=\"http://outside.example/\">x</a>"
       "<div class=\"pagination\"><a href=\"/search?q=x\">1</a><a href=\"/search?q=x&amp;s=21\">3</a></div>",
       11, K::Results, {"https://a.example/1?x=1&y=2", "http://b.example/'2'"}, 21, ""},
      {"mojeek", 200, "<!--rs--><a class=title href=http://c.example/>c</a><!--re--><div class=pagination>"
       "<a href=\"/search?q=x\">1</a></div>", 11, K::Results, {"http://c.example/"}, 0, ""},
      {"mojeek", 200, "<html><head><title>Captcha</title></head><body>Verification required", 0, K::Blocked, {}, 0,
       "captcha"},
      {"mojeek", 403, "<title>Forbidden</title>", 0, K::Blocked, {}, 0, "statut 403"},
      {"mojeek", 500, "", 0, K::Failed, {}, 0, ""},
      {"duckduckgo", 200,
       "<a rel=\"nofollow\" class=\"result__a\" href=\"https://duckduckgo.com/y.js?ad_domain=ad.example&amp;u3=1\">Ad</a>"
       "<a class=\"result__a\" rel=\"nofollow\"\nhref=\"//duckduckgo.com/l/?uddg=https%3A%2F%2Fd.example%2Fa%3Fb%3D1&amp;rut=f\">"
       "D</a><a href=\"http://e.example/\" class=\"result__a\">E</a>"
       "<div class=\"nav-link\"><form action=\"/html/\" method=\"post\"><input type=\"submit\" value=\"Next\">"
       "<input type=\"hidden\" name=\"q\" value=\"mozart mp3\"><input name=\"s\" type=\"hidden\" value=\"10\">"
       "<input type=\"hidden\" name=\"vqd\" value=\"4-123&amp;4\"></form></div>",
       0, K::Results, {"https://d.example/a?b=1", "http://e.example/"}, 10, "q=mozart+mp3&s=10&vqd=4-123%264"},
      // Page 2's only form goes back to page 1: the last page.
      {"duckduckgo", 200, "<a class=\"result__a\" href=\"http://e.example/\">E</a><div class=\"nav-link\"><form>"
       "<input type=\"hidden\" name=\"s\" value=\"0\"></form></div>", 10, K::Results, {"http://e.example/"}, 0, ""},
      {"duckduckgo", 202, "<html>", 0, K::Blocked, {}, 0, "anomaly"},
      {"duckduckgo", 200, "<form id=\"challenge-form\">", 0, K::Blocked, {}, 0, "anomaly"},
      {"bing", 200,
       "<li class=\"b_algo\" data-id=1><link rel=stylesheet href=\"https://r.bing.example/s.css\"><h2>"
       "<a target=\"_blank\" href=\"https://www.bing.com/ck/a?!&amp;&amp;p=abc&amp;u=a1aHR0cHM6Ly9iaW5nLmV4YW1wbGUvcj9hPTEmYj0y"
       "&amp;ntb=1\">F</a></h2></li><li class=\"b_algo\"><h2><a href=\"http://g.example/?u=a1b\">G</a></h2></li>"
       "<a title=\"Next page\" class=\"sb_pagN sb_pagN_bp\" href=\"/search?q=x&amp;first=11&amp;FORM=PERE\">",
       0, K::Results, {"https://bing.example/r?a=1&b=2", "http://g.example/?u=a1b"}, 11, ""},
      {"bing", 200, "<script>var captchaUrl='/x';</script>", 0, K::Blocked, {}, 0, "captcha"},
      {"searxng", 200, R"({"results":[{"url":"http://s.example/1"},{"title":"no url"},{"url":7},"x"]})", 0, K::Results,
       {"http://s.example/1"}, 2, ""},
      {"searxng", 200, R"({"query":"x","results":[]})", 2, K::Results, {}, 0, ""},
      {"searxng", 403, "Forbidden", 0, K::Blocked, {}, 0, "JSON output not enabled in the instance's settings.yml"},
      {"marginalia", 200, R"({"results":[{"url":"https://m.example/"}]})", 2, K::Results, {"https://m.example/"}, 3, ""},
      {"marginalia", 503, "", 0, K::Blocked, {}, 0, "quota"},
      // Neither results nor a block marker: markup this row no longer reads.
      {"bing", 200, "<html><body><ol id=\"b_results\"></ol></body></html>", 0, K::Unknown, {}, 0, ""},
      {"searxng", 200, "<html>not json", 0, K::Unknown, {}, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.engine) + " " + c.page);
    WebPage page = ReadWebPage(Row(c.engine), c.status, c.page, c.paging);
    EXPECT_EQ(page.kind, c.kind);
    EXPECT_EQ(page.links, c.links);
    EXPECT_EQ(page.next ? page.nextPaging : 0, c.nextPaging);
    EXPECT_EQ(page.kind == K::Blocked ? page.reason : page.nextBody, c.nextBodyOrReason);
  }
}

}  // namespace
}  // namespace orvi
