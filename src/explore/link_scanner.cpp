#include "explore/link_scanner.h"

#include <algorithm>

#include "explore/url_filter.h"
#include "platform/text.h"
#include "results/catalogue.h"

namespace orvi {
namespace {

constexpr size_t npos = std::string_view::npos;

// An "=" this far or farther from its "href" is taken as part of the value.
constexpr size_t kHrefEqualsReach = 17;
// Look-back of the extension test: the dot and up to five characters after it.
constexpr size_t kExtensionLookBack = 6;
// The next link of a numbered series must end this close to the value.
constexpr size_t kSeriesWindow = 300;
constexpr size_t kMaxSeriesExtension = 8;
constexpr int kMaxFramesQueued = 6;

// text[pos, pos + count), clamped to the text: the fetched copy of a page is
// never trusted to be as long as the searched one.
std::string_view Slice(std::string_view text, size_t pos, size_t count) {
  if (pos >= text.size()) return {};
  return text.substr(pos, std::min(count, text.size() - pos));
}

std::string Head(std::string_view text, size_t max) {
  return std::string(text.substr(0, std::min(max, text.size())));
}

bool EndsNameBackward(char c) {
  return c == '/' || c == '"' || c == '=' || c == '?' || c == '\'' || c == ':';
}

// The file name of a link value starts after its last "/", quote, "=", "?",
// apostrophe or ":". Its extension follows the last dot met walking back from
// the end, that is the first dot of the name. extStart is npos without a dot.
void SplitFileName(std::string_view value, size_t& nameStart, size_t& extStart) {
  extStart = npos;
  size_t pos = value.size();
  while (pos > 0 && !EndsNameBackward(value[pos - 1])) {
    --pos;
    if (value[pos] == '.') extStart = pos + 1;
  }
  nameStart = pos;
}

// The series test accepts only a short extension that names no page.
bool IsSeriesExtension(std::string_view ext) {
  return !ext.empty() && ext.find("htm") == npos && ext != "php" && ext != "asp" &&
         ext.size() <= kMaxSeriesExtension;
}

}  // namespace

std::optional<size_t> ExtractLinkValue(std::string_view lower, std::string_view fetched,
                                       size_t start, std::string& value, bool withOpen) {
  value.clear();
  size_t from = npos;
  size_t href = lower.find("href", start);
  if (href != npos) {
    size_t equals = lower.find('=', href + 4);
    if (equals != npos) from = equals - href < kHrefEqualsReach ? equals + 1 : equals;
  }
  if (withOpen) {
    size_t open = lower.find("open(", start);
    if (open != npos && open + 5 < from) from = open + 5;
  }
  if (from == npos) return std::nullopt;
  while (from < lower.size() && lower[from] == ' ') ++from;
  if (from >= lower.size()) return std::nullopt;

  size_t begin = from;
  size_t end = 0;
  size_t result = 0;
  if (lower[from] == '"') {
    size_t close = lower.find('"', from + 1);
    if (close == npos) return std::nullopt;
    size_t apostrophe = lower.find('\'', from + 1);
    if (apostrophe < close) {
      // A script call such as "javascript:get('file.zip')": the quoted argument.
      size_t closeApostrophe = lower.find('\'', apostrophe + 1);
      if (closeApostrophe > close) return std::nullopt;
      begin = apostrophe + 1;
      end = result = closeApostrophe;
    } else {
      begin = from + 1;
      end = result = close;
    }
  } else if (lower[from] == '\'') {
    size_t close = lower.find('\'', from + 1);
    if (close == npos) return std::nullopt;
    begin = from + 1;
    end = result = close;
  } else {
    size_t close = lower.find('>', from);
    if (close == npos) return std::nullopt;
    end = close;
    while (end > from && lower[end - 1] == ' ') --end;
    result = end;
  }
  value = Slice(fetched, begin, std::min(end - begin, kMaxLinkChars));
  return result;
}

std::optional<size_t> ExtractLinkValue(std::string_view lower, size_t start, std::string& value,
                                       bool withOpen) {
  return ExtractLinkValue(lower, lower, start, value, withOpen);
}

std::string ResolveUrl(std::string_view pageUrl, std::string_view link) {
  std::string url;
  if (StartsWithIgnoreCase(link, "www.")) {
    url = ResolveReference({}, "http://" + std::string(link));
  } else {
    size_t cache = pageUrl.find("q=cache:");
    if (cache != npos) {
      // "q=cache:ID:host/page+terms": the cached page stands for the page.
      std::string_view cached = pageUrl.substr(cache + 8);
      size_t colon = cached.find(':');
      if (colon != npos) cached.remove_prefix(colon + 1);
      url = ResolveReference(Head("http://" + std::string(cached), kMaxCacheBaseChars), link);
    } else {
      url = ResolveReference(pageUrl, link);
    }
  }
  if (url.size() > kMaxLinkChars) url.resize(kMaxLinkChars);
  if (!url.empty() && url.back() == '/') url.pop_back();
  if (url.find(' ') != std::string::npos) EncodeSpaces(url);
  return url;
}

void ScanScriptRedirect(std::string_view lower, std::string_view fetched,
                        const std::string& pageUrl, int depth, LinkSink& sink) {
  size_t location = lower.find(".location");
  if (location == npos) return;
  size_t open = lower.find('\'', location + 9);
  if (open == npos) return;
  size_t close = lower.find('\'', open + 1);
  if (close == npos) return;
  std::string url(Slice(fetched, open + 1, std::min(close - open - 1, kMaxLinkChars)));
  if (!StartsWithIgnoreCase(url, "http")) url = ResolveUrl(pageUrl, url);
  sink.AcceptUrl(url, FoundBy::ScriptRedirect, depth);
}

void ScanFrames(Context& ctx, std::string_view lower, std::string_view fetched,
                const std::string& pageUrl, int depth, LinkSink& sink) {
  int queued = 0;
  size_t pos = 0;
  while (queued < kMaxFramesQueued) {
    size_t frame = lower.find("<frame ", pos);
    if (frame == npos) return;
    size_t src = lower.find("src", frame + 7);
    if (src == npos) return;
    size_t quote = lower.find('"', src + 3);
    if (quote == npos) return;
    size_t begin = quote + 1;
    size_t end = std::min(lower.find('"', begin), lower.find('<', begin));
    if (end == npos) return;
    pos = end + 1;

    std::string_view lowerValue = Slice(lower, begin, std::min(end - begin, kMaxLinkChars));
    if (lowerValue.empty() || lowerValue.find('?') != npos) continue;
    std::string value(Slice(fetched, begin, lowerValue.size()));
    if (!lowerValue.starts_with("http")) {
      if (sink.AcceptUrl(ResolveUrl(pageUrl, value), FoundBy::FrameSource, depth)) ++queued;
      continue;
    }
    if (ctx.activeProfile.Serveurs) {
      if (const HostingServer* row = ServerHostOf(ctx.hosts, lowerValue)) {
        int number = ++ctx.run.ServerCounter;
        sink.AddFoundLink(row->label + "~" + std::to_string(number), value, pageUrl, false, 0);
        return;
      }
    }
    if (sink.AcceptUrl(value, FoundBy::FrameSource, depth)) ++queued;
  }
}

bool HasWantedExtension(std::string_view value, const std::vector<std::string>& extensions) {
  size_t limit = value.size() > kExtensionLookBack ? value.size() - kExtensionLookBack : 0;
  size_t dot = value.size();
  while (dot > limit && value[dot - 1] != '.') --dot;
  if (dot == limit) return false;
  std::string_view ext = value.substr(dot);
  return !ext.empty() && std::find(extensions.begin(), extensions.end(), ext) != extensions.end();
}

bool IsNumberedSeries(std::string_view lower, size_t valueStart, size_t valueEnd,
                      bool& seriesFlag) {
  valueEnd = std::min(valueEnd, lower.size());
  if (valueStart >= valueEnd) return false;
  std::string_view value = lower.substr(valueStart, valueEnd - valueStart);
  size_t nameStart = 0;
  size_t extStart = 0;
  SplitFileName(value, nameStart, extStart);
  if (extStart == npos) return false;
  std::string_view ext = value.substr(extStart);
  std::string_view name = value.substr(nameStart);
  // Today's volumes (movie.part1.rar, game.7z.001) are a series of their
  // form, whatever their extensions read.
  const VolumeForm form = VolumeOf(name).form;
  if (form == VolumeForm::None && !IsSeriesExtension(ext)) return false;

  const size_t last = valueEnd - 1;
  std::string next;
  std::optional<size_t> nextEnd = ExtractLinkValue(lower, last + 3, next, false);
  if (!nextEnd || *nextEnd - last > kSeriesWindow) return false;
  size_t nextNameStart = 0;
  size_t nextExtStart = 0;
  SplitFileName(next, nextNameStart, nextExtStart);
  if (nextExtStart == npos) return false;
  std::string_view nextName = std::string_view(next).substr(nextNameStart);
  if (form != VolumeForm::None ? VolumeOf(nextName).form != form
                               : std::string_view(next).substr(nextExtStart) != ext) {
    return false;
  }

  // Past the end of the shorter next name nothing can match.
  size_t common = std::min(name.size(), nextName.size());
  for (size_t i = 0; i < common; ++i) {
    if (name[i] >= '0' && name[i] <= '9' && nextName[i] == name[i] + 1) {
      seriesFlag = true;
      return true;
    }
  }
  return false;
}

bool MatchesFileName(std::string_view name, int mode, const std::vector<std::string>& namePrefixes,
                     std::string_view bareName) {
  if (mode != 1 && mode != 2) return true;
  // The name as the catalogue will hold it, so that a name sent in UTF-8
  // meets the search text in Windows-1252.
  std::string bare = DecodeFileName(name);
  size_t limit = bare.size() > 5 ? bare.size() - 5 : 0;
  for (size_t i = bare.size(); i > limit; --i) {
    if (bare[i - 1] == '.') {
      bare.resize(i - 1);
      break;
    }
  }
  if (mode == 2) return bare == bareName;
  for (const std::string& prefix : namePrefixes) {
    if (bare.find(prefix) != std::string::npos) return true;
  }
  return false;
}

}  // namespace orvi
