#include "sandbox/fake_engines.h"

#include <algorithm>

#include "core/base64.h"
#include "core/url_text.h"
#include "platform/cp1252.h"
#include "platform/text.h"

namespace orvi::sandbox {
namespace {

uint64_t Fnv1a(std::string_view text) {
  uint64_t hash = 1469598103934665603ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

struct Slice {
  uint64_t first = 0;  // index of the first result shown
  uint64_t end = 0;    // one past the last
};

Slice SliceAt(uint64_t count, uint64_t offset, uint64_t perPage) {
  Slice slice;
  slice.first = std::min(offset, count);
  slice.end = std::min(count, slice.first + perPage);
  return slice;
}

std::string ResultUrl(const ResultPageInput& in, uint64_t index) {
  return ExpandBase(in.answer->results[index].url, in.base);
}

std::string ResultTitle(const ResultPageInput& in, uint64_t index, std::string_view url) {
  const std::string& title = in.answer->results[index].title;
  return HtmlEscape(title.empty() ? url : std::string_view(title));
}

std::string Snippet(const ResultPageInput& in, std::string_view url) {
  // Sizes shown beside results vary as real ones do, but stay the same for one URL.
  return "... <b>" + HtmlEscape(in.query) + "</b> ... " + std::to_string(Fnv1a(url) % 40 + 3) + "k";
}

std::string WithoutScheme(std::string_view url) {
  if (StartsWithIgnoreCase(url, "http://")) url.remove_prefix(7);
  return std::string(url);
}

bool HasResults(const ResultPageInput& in) { return in.answer != nullptr && !in.answer->results.empty(); }

std::string GoogleQueryLink(std::string_view query, uint64_t start, uint64_t num) {
  return "/search?q=" + FormEncode(query) + "&num=" + std::to_string(num) +
         "&hl=en&lr=&safe=off&start=" + std::to_string(start) + "&sa=N";
}

std::string GoogleSearchBox(std::string_view query) {
  return "<center><form method=GET action=/search><input type=text name=q size=41 maxlength=2048 value=\"" +
         HtmlEscape(query) +
         "\"><input type=hidden name=num value=50><input type=submit name=btnG value=\"Google Search\">"
         "</form></center>\n";
}

}  // namespace

std::string FormatThousands(uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string CacheId(std::string_view url) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::string id;
  for (uint64_t hash : {Fnv1a(url), Fnv1a(std::string(url) + "#")}) {
    for (int i = 0; i < 6; ++i, hash /= 62) id += kDigits[hash % 62];
  }
  return id;
}

std::string ExpandBase(std::string_view text, std::string_view base) {
  std::string out;
  for (size_t at; (at = text.find("{base}")) != std::string_view::npos;) {
    out.append(text.substr(0, at));
    out.append(base);
    text.remove_prefix(at + 6);
  }
  out.append(text);
  return out;
}

std::string GooglePage(const ResultPageInput& in) {
  const std::string query = HtmlEscape(in.query);
  std::string page =
      "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">"
      "<title>Google Search: " + query + "</title></head>\n"
      "<body bgcolor=#ffffff text=#000000 link=#0000cc vlink=#551a8b alink=#ff0000>\n"
      "<table width=100% border=0 cellpadding=0 cellspacing=0><tr><td bgcolor=#3366cc>"
      "<font size=-1 color=#ffffff><b>Web</b></font></td>";
  if (!HasResults(in)) {
    page += "</tr></table>\n<p>Your search - <b>" + query +
            "</b> - did not match any documents.\n<p>Suggestions:<ul><li>Make sure all words are "
            "spelled correctly.<li>Try different keywords.<li>Try more general keywords.</ul>\n" +
            GoogleSearchBox(in.query) + "</body></html>\n";
    return page;
  }
  const uint64_t count = in.answer->results.size();
  // Beyond its last result Google serves its last page again.
  uint64_t offset = in.offset < count ? in.offset : (count - 1) / in.perPage * in.perPage;
  Slice slice = SliceAt(count, offset, in.perPage);
  page += "<td bgcolor=#3366cc align=right nowrap><font size=-1 color=#ffffff>Results <b>" +
          std::to_string(slice.first + 1) + "</b> - <b>" + std::to_string(slice.end) +
          "</b> of about <b>" + FormatThousands(in.answer->total) + "</b>.</font></td></tr></table>\n"
          "<p><font size=-1>Searched the web for <b>" + query + "</b>.</font>\n";
  for (uint64_t i = slice.first; i < slice.end; ++i) {
    std::string url = ResultUrl(in, i);
    std::string bare = WithoutScheme(url);
    page += "<p><a href=" + url + ">" + ResultTitle(in, i, url) + "</a><br><font size=-1>" +
            Snippet(in, url) + "<br><font color=#008000>" + HtmlEscape(bare) +
            " - </font><nobr><a class=fl href=/search?q=cache:" + CacheId(url) + ":" + bare + "+" +
            FormEncode(in.query) + "&hl=en&ie=UTF-8>Cached</a> - <a class=fl href=/search?hl=en&lr=&ie=UTF-8&q=related:" +
            bare + ">Similar pages</a></nobr></font>\n";
  }
  page += "<br clear=all><center><font size=-1>Result Page: ";
  if (slice.first > 0) {
    page += "<a href=" + GoogleQueryLink(in.query, slice.first - std::min(slice.first, in.perPage), in.perPage) +
            ">Previous</a> ";
  }
  page += "<b>" + std::to_string(slice.first / in.perPage + 1) + "</b>";
  if (slice.end < std::max<uint64_t>(count, in.answer->total)) {
    page += " <a href=" + GoogleQueryLink(in.query, slice.first + in.perPage, in.perPage) + ">Next</a>";
  }
  page += "</font></center>\n" + GoogleSearchBox(in.query) + "</body></html>\n";
  return page;
}

std::string FastPage(const ResultPageInput& in) {
  const std::string query = HtmlEscape(in.query);
  std::string page =
      "<html><head><title>AllTheWeb.com Search Results</title></head>\n"
      "<body bgcolor=#ffffff>\n<table width=100%><tr><td><b>Web pages</b></td><td align=right>";
  auto searchBox = [&] {
    return "<form method=GET action=/search><input type=hidden name=t value=all>"
           "<input type=hidden name=c value=web><input type=text name=q size=40 value=\"" + query +
           "\"><input type=hidden name=hits value=" + std::to_string(in.perPage) +
           "><input type=submit value=\"FAST Search\"></form>\n</body></html>\n";
  };
  if (!HasResults(in)) {
    page += "</td></tr></table>\n<p><b>No Web pages found that match your query.</b>\n<p>Your search: <b>" +
            query + "</b>\n" + searchBox();
    return page;
  }
  const uint64_t count = in.answer->results.size();
  if (in.offset >= count) {
    page += "</td></tr></table>\n<p><b>No more Web pages for your query.</b>\n" + searchBox();
    return page;
  }
  Slice slice = SliceAt(count, in.offset, in.perPage);
  page += "<span class=resultCount>Results <b>" + std::to_string(slice.first + 1) + " - " +
          std::to_string(slice.end) + "</b> of <b>" + FormatThousands(in.answer->total) +
          "</b> for <b>" + query + "</b></span></td></tr></table>\n<dl>\n";
  for (uint64_t i = slice.first; i < slice.end; ++i) {
    std::string url = ResultUrl(in, i);
    page += "<dt><span class=resNum>" + std::to_string(i + 1) + ".</span> <a class=res href=\"" + url +
            "\" onmouseover=\"window.status='" + url + "'; return true\" onmouseout=\"window.status=''\">" +
            ResultTitle(in, i, url) + "</a></dt>\n<dd><span class=resTeaser>" + Snippet(in, url) +
            "</span><br><span class=resUrl>" + HtmlEscape(WithoutScheme(url)) + "</span></dd>\n";
  }
  page += "</dl>\n";
  if (slice.end < std::max<uint64_t>(count, in.answer->total)) {
    page += "<p class=nav>Result page: <a href=\"/search?t=all&o=" + std::to_string(slice.first + in.perPage) + "&q=" +
            FormEncode(in.query) + "&c=web&s=full&l=any&no=off&hits=" + std::to_string(in.perPage) +
            "&s=title\">Next &gt;&gt;</a></p>\n";
  }
  return page + searchBox();
}

std::string WiseNutPage(const ResultPageInput& in) {
  const std::string query = HtmlEscape(in.query);
  const uint64_t total = in.answer == nullptr || in.answer->results.empty() ? 0 : in.answer->total;
  std::string page =
      "<html><head><title>WiseNut Search Results</title></head>\n<body bgcolor=#ffffff>\n"
      "<table width=100%><tr><td class=count>Search found: " + FormatThousands(total) +
      " documents for <b>" + query + "</b>.";
  auto searchBox = [&] {
    return "<form method=GET action=\"/search/query.dll\"><input type=hidden name=p value=0>"
           "<input type=text name=q size=40 value=\"" + query +
           "\"><input type=submit value=\"Search\"></form>\n</body></html>\n";
  };
  if (!HasResults(in)) {
    return page + "</td></tr></table>\n<p>Sorry, no pages matched your search.\n" + searchBox();
  }
  const uint64_t count = in.answer->results.size();
  if (in.offset >= count) {
    return page + "</td></tr></table>\n<p>No more results.\n" + searchBox();
  }
  Slice slice = SliceAt(count, in.offset, in.perPage);
  page += " Results " + std::to_string(slice.first + 1) + " - " + std::to_string(slice.end) +
          "</td></tr></table>\n<ol start=" + std::to_string(slice.first + 1) + ">\n";
  for (uint64_t i = slice.first; i < slice.end; ++i) {
    std::string url = ResultUrl(in, i);
    page += "<li><a href=\"" + url + "\">" + ResultTitle(in, i, url) + "</a><br><font size=-1>" +
            Snippet(in, url) + "</font><br><font size=-1 color=#008000>" + HtmlEscape(WithoutScheme(url)) +
            "</font>\n";
  }
  page += "</ol>\n";
  if (slice.end < std::max<uint64_t>(count, in.answer->total)) {
    page += "<p>Result pages: <a href=\"/search/query.dll?p=" + std::to_string(slice.first / in.perPage + 1) +
            "&q=" + FormEncode(in.query) + "\">Next</a>\n";
  }
  return page + searchBox();
}

namespace {

constexpr uint64_t kTodaysPerPage = 10;

struct TodaysPage {
  std::string head;  // up to the results, the query echoed
  Slice slice;
  bool more = false;  // a next page
};

TodaysPage StartTodaysPage(const ResultPageInput& in, std::string_view title) {
  TodaysPage page;
  const uint64_t count = HasResults(in) ? in.answer->results.size() : 0;
  page.slice = SliceAt(count, in.offset, kTodaysPerPage);
  page.more = page.slice.end < count;
  page.head = "<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\"><title>" +
              HtmlEscape(Cp1252ToUtf8(in.query)) + " - " + std::string(title) + "</title></head>\n<body>\n";
  return page;
}

std::string UtfTitle(const ResultPageInput& in, uint64_t index, std::string_view url) {
  return Cp1252ToUtf8(ResultTitle(in, index, url));
}

}  // namespace

std::string MojeekPage(const ResultPageInput& in, std::string_view prefix) {
  TodaysPage page = StartTodaysPage(in, "Mojeek Search");
  std::string out = page.head + "<ul class=\"results-standard\">\n";
  for (uint64_t i = page.slice.first; i < page.slice.end; ++i) {
    const std::string url = ResultUrl(in, i);
    // Every third result is clustered: it has no "ob" anchor.
    out += "<li class=\"r" + std::to_string(i + 1) + "\"><!--rs-->" +
           (i % 3 == 2 ? "" : "<a class=\"ob\" href=\"" + HtmlEscape(url) + "\">" + HtmlEscape(WithoutScheme(url)) + "</a>") +
           "<h2><a\n   href=\"" + HtmlEscape(url) + "\" class=\"title\">" + UtfTitle(in, i, url) +
           "</a></h2><p class=\"s\">" + Snippet(in, url) + "</p><!--re--></li>\n";
  }
  out += "</ul>\n";
  if (page.slice.first == page.slice.end) out += "<p>No pages found matching your search.</p>\n";
  if (page.more) {
    const std::string link = std::string(prefix) + "/search?q=" + FormEncode(Cp1252ToUtf8(in.query)) +
                             "&amp;s=" + std::to_string(page.slice.end + 1);
    out += "<div class=\"pagination\"><ul><li><a href=\"" + link + "\">" +
           std::to_string(page.slice.first / kTodaysPerPage + 2) + "</a></li><li><a class=\"next\" href=\"" + link +
           "\">Next</a></li></ul></div>\n";
  }
  return out + "</body></html>\n";
}

std::string DuckDuckGoVqd(std::string_view query) { return "4-" + std::to_string(Fnv1a(query) % 1'000'000'000'000); }

std::string DuckDuckGoPage(const ResultPageInput& in, std::string_view prefix) {
  TodaysPage page = StartTodaysPage(in, "DuckDuckGo");
  const std::string query = HtmlEscape(Cp1252ToUtf8(in.query));
  std::string out = page.head + "<div id=\"links\" class=\"results\">\n";
  auto result = [&](const std::string& href, const std::string& title) {
    out += "<div class=\"result results_links_deep web-result\"><div class=\"links_main result__body\">\n"
           "<h2 class=\"result__title\"><a rel=\"nofollow\" class=\"result__a\" href=\"" + href + "\">" + title +
           "</a></h2>\n</div></div>\n";
  };
  if (page.slice.first < page.slice.end) {
    result("https://duckduckgo.com/y.js?ad_domain=example.com&amp;ad_provider=bing&amp;u3=x", "Annonce");
  }
  for (uint64_t i = page.slice.first; i < page.slice.end; ++i) {
    const std::string url = ResultUrl(in, i);
    result("//duckduckgo.com/l/?uddg=" + FormEncode(url) + "&amp;rut=" + CacheId(url), UtfTitle(in, i, url));
  }
  if (page.slice.first == page.slice.end) out += "<div class=\"no-results\">Aucun r&eacute;sultat.</div>\n";
  out += "</div>\n";
  // Each form sends back what the next or the previous page needs.
  auto form = [&](uint64_t s, std::string_view label) {
    out += "<div class=\"nav-link\">\n<form action=\"" + std::string(prefix) + "/html/\" method=\"post\">\n"
           "<input type=\"submit\" class='btn btn--alt' value=\"" + std::string(label) + "\" />\n"
           "<input type=\"hidden\" name=\"q\" value=\"" + query + "\" />\n"
           "<input type=\"hidden\" name=\"s\" value=\"" + std::to_string(s) + "\" />\n"
           "<input type=\"hidden\" name=\"nextParams\" value=\"\" />\n<input type=\"hidden\" name=\"v\" value=\"l\" />\n"
           "<input type=\"hidden\" name=\"o\" value=\"json\" />\n"
           "<input type=\"hidden\" name=\"dc\" value=\"" + std::to_string(s + 1) + "\" />\n"
           "<input type=\"hidden\" name=\"api\" value=\"d.js\" />\n"
           "<input type=\"hidden\" name=\"vqd\" value=\"" + DuckDuckGoVqd(in.query) + "\" />\n"
           "<input name=\"kl\" value=\"fr-fr\" type=\"hidden\">\n</form>\n</div>\n";
  };
  if (page.slice.first > 0) form(page.slice.first - std::min(page.slice.first, kTodaysPerPage), "Pr&eacute;c&eacute;dent");
  if (page.more) form(page.slice.end, "Suivant");
  return out + "</body></html>\n";
}

std::string BingPage(const ResultPageInput& in, std::string_view prefix) {
  TodaysPage page = StartTodaysPage(in, "Recherche");
  std::string out = page.head + "<ol id=\"b_results\">\n";
  for (uint64_t i = page.slice.first; i < page.slice.end; ++i) {
    const std::string url = ResultUrl(in, i);
    std::string encoded = Base64Encode(url);
    while (!encoded.empty() && encoded.back() == '=') encoded.pop_back();
    for (char& c : encoded) c = c == '+' ? '-' : c == '/' ? '_' : c;
    const std::string wrapped =
        "https://www.bing.com/ck/a?!&amp;&amp;p=" + CacheId(url) + "&amp;u=a1" + encoded + "&amp;ntb=1";
    out += "<li class=\"b_algo\" data-tag=\"\"><link rel=\"stylesheet\" href=\"/rp/algo.css\" />"
           "<div class=\"b_tpcn\"><a class=\"tilk\" href=\"" + wrapped + "\">" + HtmlEscape(WithoutScheme(url)) +
           "</a></div>\n<h2 class=\"\"><a target=\"_blank\"\n href=\"" + wrapped + "\" h=\"ID=SERP," +
           std::to_string(i + 1) + "\">" + UtfTitle(in, i, url) + "</a></h2><div class=\"b_caption\"><p>" +
           Snippet(in, url) + "</p></div></li>\n";
  }
  if (page.slice.first == page.slice.end) out += "<li class=\"b_no\"><h1>Aucun r&eacute;sultat</h1></li>\n";
  if (page.more) {
    out += "<li class=\"b_pag\"><nav><ul><li><a class=\"sb_pagN sb_pagN_bp\" title=\"Page suivante\" href=\"" +
           std::string(prefix) + "/search?q=" + FormEncode(Cp1252ToUtf8(in.query)) + "&amp;first=" +
           std::to_string(page.slice.end + 1) + "&amp;FORM=PERE\">Suivant</a></li></ul></nav></li>\n";
  }
  return out + "</ol>\n</body></html>\n";
}

Response BlockPage(std::string_view engine) {
  Response response;
  response.contentType = "text/html; charset=utf-8";
  if (engine == "mojeek") {
    response.status = 403;
    response.body = "<html><head><title>Captcha</title></head><body><h1>Verification required</h1></body></html>\n";
  } else if (engine == "duckduckgo") {
    response.status = 202;
    response.body = "<html><body><form id=\"challenge-form\" class=\"anomaly-modal\"></form></body></html>\n";
  } else {
    response.body = "<html><body><script>var captchaUrl = \"/challenge/verify?rand=1\";</script></body></html>\n";
  }
  return response;
}

std::string GoogleCachePage(std::string_view url, std::string_view page) {
  const std::string link = HtmlEscape(url);
  return "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">\n"
         "<BASE HREF=\"" + link + "\"><table border=1 width=100%><tr><td><table border=1 bgcolor=#ffffff "
         "cellpadding=10 cellspacing=0 width=100% color=#ffffff><tr><td><font face=arial,sans-serif "
         "color=black size=-1>This is <b>Google</b>'s cache of <a href=\"" + link + "\">" + link +
         "</a>.<br><b>Google</b>'s cache is the snapshot that we took of the page as we crawled the web."
         "<br>The page may have changed since that time.</font></td></tr></table></td></tr></table>\n"
         "<hr>\n" + std::string(page);
}

}  // namespace orvi::sandbox
