// Pages per second of FetchPage on a 20 KB page from a local nginx, next to
// curl fetching the same page as many times in one process, each on a fresh
// connection as FetchPage does. Prints the ratio last.
//   fetch_bench [pages]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "net/fetch_page.h"
#include "platform/file_io.h"
#include "support/real_servers.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
  orvi::test::Nginx nginx;
  nginx.AddFile("page.html", "<html><body>" + std::string(20 * 1024 - 26, 'x') + "</body></html>");
  if (!nginx.Start()) {
    std::cerr << nginx.error() << '\n';
    return 1;
  }
  const std::string url = nginx.Url("/page.html");

  orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp"});
  ctx.settings.HttpTimeOut = 30;
  ctx.run.collecting = true;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < pages; ++i) {
    orvi::FetchError label;
    auto page = orvi::FetchPage(ctx, url, label, false, 0, "");
    if (!page || page->size() < 20 * 1024) {
      std::cerr << "fetch " << i << " failed: " << orvi::LabelText(label) << '\n';
      return 1;
    }
  }
  double ours = pages / Seconds(start);

  // One curl process, the URL listed once per page, a new connection for each.
  std::string config = "silent\nfail\nheader = \"Connection: close\"\n";
  for (int i = 0; i < pages; ++i) config += "url = \"" + url + "\"\noutput = \"/dev/null\"\n";
  std::string configPath = nginx.dir().File("curl.cfg");
  orvi::WriteWholeFile(configPath, config);
  start = std::chrono::steady_clock::now();
  if (std::system(("curl -K " + configPath).c_str()) != 0) {
    std::cerr << "curl failed\n";
    return 1;
  }
  double theirs = pages / Seconds(start);

  std::printf("pages: %d of 20 KB from nginx on 127.0.0.1\n", pages);
  std::printf("FetchPage: %.0f pages/s\n", ours);
  std::printf("curl:      %.0f pages/s\n", theirs);
  std::printf("ratio FetchPage/curl: %.2f\n", ours / theirs);
  return 0;
}
