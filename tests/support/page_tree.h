#pragma once

#include <string>

#include "support/real_servers.h"

namespace orvi::test {

// Starts nginx on a site for a scan to walk, p0.html first: page i links
// pages 2i+1 and 2i+2 (while there are `pages`) and the file files/fi.zip,
// which is served too (1000 bytes) with withFiles. False when nginx does not
// start (see its error()).
inline bool ServePageTree(Nginx& nginx, int pages, bool withFiles) {
  for (int i = 0; i < pages; ++i) {
    const std::string n = std::to_string(i);
    std::string body = "<html><body><h1>Page " + n + "</h1>\n";
    for (int next : {2 * i + 1, 2 * i + 2}) {
      if (next < pages) body += "<a href=\"p" + std::to_string(next) + ".html\">next</a>\n";
    }
    nginx.AddFile("p" + n + ".html", body + "<a href=\"files/f" + n + ".zip\">file</a>\n</body></html>\n");
    if (withFiles) nginx.AddFile("files/f" + n + ".zip", std::string(1000, 'z'));
  }
  return nginx.Start();
}

}  // namespace orvi::test
