// The analysis of a fetched page of any bytes, for a fixed search text and
// profile. The first two bytes choose the mode: selective or systematic, SDM,
// SAD, rar and ace names, server folders, nearby links, site scan, image
// pass, the name test, MinFiles, the page's depth and the fetch's label. What
// is handed on must stay within its fixed lengths, and the link index must
// answer as the link scanner does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "explore/link_scanner.h"
#include "explore/link_values.h"
#include "explore/page_analysis.h"
#include "explore/queue.h"
#include "fuzz_exact_text.h"
#include "platform/text.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

class CheckingSink final : public orvi::LinkSink {
 public:
  explicit CheckingSink(int depth) : depth_(depth) {}

  bool AcceptUrl(const std::string& url, orvi::FoundBy how, int depth) override {
    using orvi::FoundBy;
    if (how == FoundBy::CacheFallback) {
      Check(depth == 0);
    } else {
      Check(url.size() <= orvi::kMaxLinkChars);
      bool deeper = how == FoundBy::KeywordLink || how == FoundBy::NearbyLink;
      Check(depth == (deeper ? depth_ + 1 : depth_));
      Check(how != FoundBy::FromEngine);
    }
    return ++offers_ % 3 != 0;  // some refused, as the queue would
  }
  bool AddFoundLink(const std::string& name, const std::string& url, const std::string&,
                    bool, int seriesLength) override {
    Check(name.size() <= orvi::kMaxNameChars && url.size() <= orvi::kMaxLinkChars);
    Check(seriesLength >= 0 && seriesLength <= 256);
    return true;
  }

 private:
  int depth_;
  int offers_ = 0;
};

orvi::Context& SharedContext() {
  static orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp", .startDate = {2024, 6, 1}});
  return ctx;
}

// The index against the link scanner, from a spread of starts; and the
// scanner's answer from a text cut just after the index's extent.
void CompareIndex(std::string_view lower, std::string_view fetched) {
  orvi::LinkValueIndex index(lower);
  const size_t step = lower.size() / 48 + 1;
  std::string value;
  for (size_t start = 0; start <= lower.size() + 1; start += step) {
    for (bool withOpen : {false, true}) {
      std::optional<size_t> end = orvi::ExtractLinkValue(lower, fetched, start, value, withOpen);
      std::optional<orvi::LinkValueSpan> span = index.Find(start, withOpen);
      Check(end.has_value() == span.has_value());
      if (!end) continue;
      Check(span->end == *end && span->extent >= span->end && span->extent < lower.size());
      Check(fetched.substr(span->begin, span->length) == value);
      std::string cut;
      std::optional<size_t> cutEnd =
          orvi::ExtractLinkValue(lower.substr(0, span->extent + 1), start, cut, withOpen);
      Check(cutEnd == end);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  const uint8_t more = data[1];
  std::string page(reinterpret_cast<const char*>(data) + 2, size - 2);

  orvi::Context& ctx = SharedContext();
  ctx.SearchText = "setup";
  ctx.hosts.servers[0] = {"freehost.example", "@freehost"};
  orvi::SearchProfile& p = ctx.activeProfile;
  p.ExtractAll = mode & 1;
  p.SDM = mode & 2;
  p.SAD = mode & 4;
  p.Archiv = mode & 8;
  p.Serveurs = mode & 16;
  p.AjourURL = mode & 32;
  p.SiteScan = mode & 64;
  ctx.run.ImageMode = mode & 128;
  ctx.run.Extensions = {"zip", "exe", "jpg"};
  ctx.run.NamePrefixes = {"set"};
  ctx.run.BareName = "setup";
  ctx.run.UrlKeywords = {"download", "files"};
  p.FileNameMode = more % 3;
  p.MinFiles = (more >> 2) % 4;
  p.AddLinkAway = 1600;
  p.FilesAway = (more & 64) ? 2400 : 40;
  const int depth = (more >> 4) % 3;
  const orvi::FetchError label = (more & 128) ? orvi::FetchError::Redirect : orvi::FetchError::None;

  orvi::QueueEntry entry("http://site.example/dir/index.html", 0, orvi::FoundBy::FromEngine, depth);
  entry.cacheUrl = "http://cache.example/search?q=cache:k:site.example/dir/index.html";
  CheckingSink sink(depth);
  orvi::AnalyseFetchedPage(ctx, entry, page, label, sink);

  const ExactText fetched(page);
  const ExactText lower(orvi::AsciiLower(page));
  CompareIndex(lower.view(), fetched.view());
  return 0;
}
