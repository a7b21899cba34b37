#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sandbox/fixture.h"
#include "sandbox/http_message.h"

namespace orvi::sandbox {

// Everything the sandbox answers, without the network:
//   /search?q=...&start=N&num=N            Google
//   /search?q=cache:ID:host/path           Google's cache of a sandbox page
//   /search?...&o=N&q=...&hits=N           Fast (told from Google by o or hits)
//   /search/query.dll?p=N&q=...            WiseNut (Cookie nnum=N per page)
//   /mojeek/search?q=...&s=N              today's engines, from Google's
//   /duckduckgo/html/ (POST q=...&s=N)     answers; each of them also under
//   /bing/search?q=...&first=N             /blocked/, refused as it refuses
//   /translate.dyn?...&urltext=...          the translation service: a page whose
//                                          text area holds the fixture's
//                                          translation, or one without it
//   /addtop10.php3?requete=...             the product site's search report
//   a [text] path (/files/version.txt)     that plain text
//   any other path                         the files of the fixture's [files]
//                                          blocks, then those under the sites
//                                          folder; a folder without index.html
//                                          is listed as "Index of /path"
// Pages of the sites folder (.html, .htm) have {base} replaced. Unknown
// queries give each engine's "no results" page; unknown paths a 404.
class Site {
 public:
  // sitesFolder may be empty or missing: then only served files exist.
  Site(Fixture fixture, std::string sitesFolder);

  // base is what {base} stands for: "http://127.0.0.1:PORT".
  Response Respond(const Request& request, std::string_view base) const;

  const Fixture& fixture() const { return fixture_; }

 private:
  Response Engines(const Request& request, std::string_view base) const;
  std::optional<Response> TodaysEngines(const Request& request, std::string_view base) const;
  Response Translate(const Request& request) const;
  Response Cache(std::string_view query, std::string_view base) const;
  Response Files(std::string path, std::string_view base) const;
  Response Folder(const std::string& path, std::string_view base, bool onDisk) const;
  Response Home(std::string_view base) const;

  Fixture fixture_;
  std::string sitesFolder_;  // without a trailing "/", or empty
};

}  // namespace orvi::sandbox
