#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sandbox/fixture.h"
#include "sandbox/http_message.h"

namespace orvi::sandbox {

// The result pages of the three engines, in the layouts of their time, with
// the markers the program's harvesters read:
//  - Google: after "</title>", the first " - " is the one of the result range
//    "Results <b>1</b> - <b>50</b> of about <b>1,234</b>."; each result is
//    "<p><a href=URL>" followed by its "/search?q=cache:ID:host/path+query"
//    link. An offset past the last result serves the last page again, as
//    Google did.
//  - Fast: the first " of " is the one of "Results <b>1 - 50</b> of
//    <b>1,234</b>"; each result link carries "window.status='URL'".
//  - WiseNut: the first "documents" is the one of "Search found: 1,234
//    documents"; after it the only absolute links are the results,
//    href="URL".
// The query is the decoded one, echoed HTML-escaped and, in the part of the
// page a harvester searches, only after its markers: no query can shadow
// them. An answer that is null or holds no result gives the engine's "no
// results" page, which leads every harvester to stop at once.
struct ResultPageInput {
  std::string_view query;        // decoded
  const EngineAnswer* answer;    // null: the engine knows nothing
  uint64_t offset;               // of the first result asked for
  uint64_t perPage;              // 1-100
  std::string_view base;         // what {base} stands for
};

std::string GooglePage(const ResultPageInput& input);
std::string FastPage(const ResultPageInput& input);
// WiseNut pages are numbered; input.offset is page number x perPage.
std::string WiseNutPage(const ResultPageInput& input);

// Today's engines, in the markup the rows of Moteurs.ini read, ten results
// a page from input.offset, UTF-8 (input.query is Windows-1252). prefix is
// the path the engine lives under ("/bing"), for the page's own links.
//  - Mojeek: each result between <!--rs--> and <!--re-->, its address the
//    href of <a class="title">; the next page a link with s=11, 21, ...
//    under <div class="pagination">.
//  - DuckDuckGo: an ad (a y.js link), then <a rel="nofollow"
//    class="result__a"> links, the address wrapped as
//    //duckduckgo.com/l/?uddg=...; the next page a form of hidden inputs in
//    <div class="nav-link">, with s and the query's vqd.
//  - Bing: each <li class="b_algo">, a stylesheet and another link before
//    its <h2><a>, the address wrapped as https://www.bing.com/ck/a?...&u=a1
//    and its base64url; the next page <a class="sb_pagN" href="...first=11">.
std::string MojeekPage(const ResultPageInput& input, std::string_view prefix);
std::string DuckDuckGoPage(const ResultPageInput& input, std::string_view prefix);
std::string BingPage(const ResultPageInput& input, std::string_view prefix);
// What DuckDuckGo's next-page form carries for a query: a later page asked
// without it is refused.
std::string DuckDuckGoVqd(std::string_view query);
// The block page of "mojeek", "duckduckgo" or "bing" (its status set).
Response BlockPage(std::string_view engine);

// A page of Google's cache: its banner, then the page as it was.
std::string GoogleCachePage(std::string_view url, std::string_view page);

// "1,234,567"
std::string FormatThousands(uint64_t value);
// &, <, >, " and ' as entities: an echoed text never forms a marker.
std::string HtmlEscape(std::string_view text);
// The id Google's cache links carry, derived from the URL.
std::string CacheId(std::string_view url);
// Every "{base}" of text replaced.
std::string ExpandBase(std::string_view text, std::string_view base);

}  // namespace orvi::sandbox
