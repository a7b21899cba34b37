// A page of any bytes, read the way the page analysis reads it: every link
// value in turn, resolved against a page URL taken from the input's first
// line, then the frame and script scans. Nothing may read outside the texts,
// every scan must move forward, and what is kept stays within 239 characters.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "explore/link_scanner.h"
#include "fuzz_exact_text.h"
#include "platform/text.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

class CheckingSink final : public orvi::LinkSink {
 public:
  bool AcceptUrl(const std::string& url, orvi::FoundBy, int) override {
    Check(url.size() <= orvi::kMaxLinkChars);
    return ++accepted % 3 != 0;  // some refused, as the queue would
  }
  bool AddFoundLink(const std::string& name, const std::string& url, const std::string&, bool,
                    int) override {
    Check(!name.empty() && name[0] == '@' && url.size() <= orvi::kMaxLinkChars);
    return true;
  }
  int accepted = 0;
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether the path of a URL (after its scheme, a letter then letters, digits,
// "+", "-" or ".", and its "//" authority) holds a "/../" segment.
bool HasDotDotSegment(std::string_view url) {
  std::string_view path = url.substr(0, url.find_first_of("?#"));
  const size_t colon = path.find(':');
  bool scheme = colon != std::string_view::npos && colon > 0 && colon < path.find('/') &&
                IsLetter(path[0]);
  for (size_t i = 0; scheme && i < colon; ++i) {
    const char c = path[i];
    scheme = IsLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  }
  if (scheme) path.remove_prefix(colon + 1);
  if (path.starts_with("//")) path = path.substr(std::min(path.size(), path.find('/', 2)));
  return path.find("/../") != std::string_view::npos;
}

orvi::Context& SharedContext() {
  static orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp"});
  return ctx;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string pageUrl = newline == std::string_view::npos ? "http://host/dir/page.html"
                                                          : std::string(input.substr(0, newline));
  std::string page(newline == std::string_view::npos ? input : input.substr(newline + 1));
  orvi::CollapseWhitespace(page);
  ExactText fetchedText(page);
  ExactText lowerText(orvi::AsciiLower(page));
  std::string_view fetched = fetchedText.view();
  std::string_view lower = lowerText.view();
  const ExactText pageUrlText(pageUrl);

  const std::vector<std::string> extensions = {"zip", "jpeg", "rar"};
  std::string value;
  for (bool withOpen : {false, true}) {
    size_t pos = 0;
    while (std::optional<size_t> end = orvi::ExtractLinkValue(lower, fetched, pos, value, withOpen)) {
      Check(*end > pos && *end <= lower.size() && value.size() <= orvi::kMaxLinkChars);
      ExactText link(value);
      Check(orvi::ResolveUrl(pageUrlText.view(), link.view()).size() <= orvi::kMaxLinkChars);
      // The same value as a redirection's Location: bounded, and no ".."
      // segment survives in its path.
      std::string moved = orvi::ResolveLocation(pageUrlText.view(), link.view());
      Check(moved.size() <= orvi::kMaxLinkChars);
      Check(moved.size() == orvi::kMaxLinkChars || !HasDotDotSegment(moved));
      orvi::HasWantedExtension(link.view(), extensions);
      orvi::MatchesFileName(link.view(), 1, {"set", "abc"}, "setup");
      pos = *end;
    }
  }
  CheckingSink sink;
  orvi::Context& ctx = SharedContext();
  ctx.activeProfile.Serveurs = size % 2 == 0;
  orvi::ScanFrames(ctx, lower, fetched, pageUrl, 1, sink);
  orvi::ScanScriptRedirect(lower, fetched, pageUrl, 1, sink);
  return 0;
}
