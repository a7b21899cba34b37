// Page analysis throughput on real HTML pages that nobody here wrote (the
// HTML documentation installed on this machine), next to link extraction
// with libxml2's HTML parser over the same bytes, in one run. Prints MB/s of
// each and their ratio last.
//   analysis_bench [folder ...]   (default /usr/share/doc)
#include <libxml/HTMLparser.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/url_text.h"
#include "explore/page_analysis.h"
#include "explore/queue.h"
#include "platform/file_io.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts what the analysis finds, and keeps nothing.
class CountingSink final : public orvi::LinkSink {
 public:
  bool AcceptUrl(const std::string&, orvi::FoundBy, int) override {
    ++pages;
    return true;
  }
  bool AddFoundLink(const std::string&, const std::string&, const std::string&, bool, int) override {
    ++files;
    return true;
  }
  long pages = 0;
  long files = 0;
};

long CountLinks(xmlNode* node) {
  long links = 0;
  for (; node != nullptr; node = node->next) {
    if (node->type == XML_ELEMENT_NODE) {
      for (const char* attribute : {"href", "src"}) {
        xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(attribute));
        if (value != nullptr) {
          ++links;
          xmlFree(value);
        }
      }
    }
    links += CountLinks(node->children);
  }
  return links;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> roots(argv + 1, argv + argc);
  if (roots.empty()) roots.push_back("/usr/share/doc");
  std::vector<std::string> pages;
  size_t bytes = 0;
  for (const std::string& root : roots) {
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      auto ext = it->path().extension();
      if (ext != ".html" && ext != ".htm") continue;
      if (auto text = orvi::ReadWholeFile(it->path())) {
        bytes += text->size();
        pages.push_back(std::move(*text));
      }
    }
  }
  if (pages.empty()) {
    std::cerr << "no HTML pages found\n";
    return 1;
  }

  orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp"});
  ctx.run.collecting = true;
  ctx.run.Extensions = {"zip", "exe", "gz", "html", "pdf"};
  ctx.activeProfile.Archiv = ctx.activeProfile.SAD = true;
  ctx.activeProfile.AjourURL = true;
  ctx.activeProfile.AddLinkAway = 1600;
  ctx.activeProfile.FilesAway = 2400;
  ctx.SearchText = "the";
  CountingSink sink;
  const int rounds = 3;
  auto start = Clock::now();
  for (int round = 0; round < rounds; ++round) {
    for (const std::string& page : pages) {
      orvi::QueueEntry entry("http://docs.example/dir/page.html", 0, orvi::FoundBy::FromEngine, 0);
      std::string text = page;
      orvi::AnalyseFetchedPage(ctx, entry, std::move(text), orvi::FetchError::None, sink);
    }
  }
  double ours = static_cast<double>(bytes * rounds) / 1e6 /
                std::chrono::duration<double>(Clock::now() - start).count();

  long links = 0;
  start = Clock::now();
  for (int round = 0; round < rounds; ++round) {
    for (const std::string& page : pages) {
      htmlDocPtr doc = htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, nullptr,
                                      HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                          HTML_PARSE_NONET);
      if (doc != nullptr) {
        links += CountLinks(xmlDocGetRootElement(doc));
        xmlFreeDoc(doc);
      }
    }
  }
  double theirs = static_cast<double>(bytes * rounds) / 1e6 /
                  std::chrono::duration<double>(Clock::now() - start).count();

  std::printf("pages: %zu, %.1f MB of HTML, %d rounds\n", pages.size(), static_cast<double>(bytes) / 1e6, rounds);
  std::printf("page analysis: %.1f MB/s (%ld file links, %ld page links handed on)\n", ours,
              sink.files / rounds, sink.pages / rounds);
  std::printf("libxml2 HTML parser, href/src extraction: %.1f MB/s (%ld links)\n", theirs,
              links / rounds);
  std::printf("ratio analysis/libxml2: %.2f\n", ours / theirs);
  return 0;
}
