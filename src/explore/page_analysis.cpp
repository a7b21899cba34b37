#include "explore/page_analysis.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "core/url_text.h"
#include "explore/link_scanner.h"
#include "explore/link_values.h"
#include "explore/page_age.h"
#include "explore/page_sink.h"
#include "explore/queue.h"
#include "explore/queue_link_sink.h"
#include "explore/url_filter.h"
#include "net/fetch_page.h"
#include "net/http_response.h"
#include "platform/text.h"
#include "results/catalogue.h"
#include "results/verification.h"

namespace orvi {
namespace {

constexpr size_t npos = std::string_view::npos;

// Reaches, in characters of page text.
constexpr size_t kNearbyBackReach = 240;     // nearby links are read from this far before the anchor
constexpr size_t kOwnLinkBackReach = 240;    // the start of the link whose text holds the anchor
constexpr size_t kOwnLinkCloseReach = 64;    // a "</a" this close after the anchor: it is link text
constexpr size_t kKeywordReach = 260;        // a keyword link's "href" and "</a" around the keyword
constexpr size_t kFileEqualsReach = 16;      // the "=" after "href" or "src" of a file link
constexpr size_t kAbsoluteQuoteReach = 240;  // the quote that ends an "http://" file link
constexpr size_t kSeriesReach = 300;         // IsNumberedSeries: the next link ends this close
constexpr int kMaxRedirectHops = 5;          // a single-page analysis follows its page this far

// Limits of one page.
constexpr int kKeywordLinksPerKeyword = 4;
constexpr size_t kMaxGroupFiles = 256;
constexpr size_t kMaxCandidates = 64;
constexpr int kNearbyMaxDepth = 2;  // pages this deep add no nearby link
constexpr int kNearbyPointLimit = 2;

constexpr int64_t kNoDistance = 99999;
constexpr int64_t kNoScore = 100000;
constexpr int64_t kUsedScore = 200000;
constexpr int64_t kBeforeAnchorWeight = 10;

// Nothing longer ever arrives in the fetch's buffer.
constexpr size_t kMaxPageChars = kPageBuffer - 1;
// How many marker occurrences the file scans of one page may visit. A
// selective scan that has started a group runs on to the end of the page, so
// a page repeating the search text before a long list of same-named links
// would cost anchors x links visits; no real page comes near this.
constexpr int64_t kFileScanSteps = int64_t{1} << 21;

// The marker of each pass: links, absolute addresses, image sources.
constexpr std::string_view kPassMarkers[] = {"href", "http://", "src"};

// Page positions from the anchor: after it plainly, before it ten times.
int64_t Distance(size_t pos, size_t anchor) {
  return pos > anchor ? static_cast<int64_t>(pos - anchor)
                      : static_cast<int64_t>(anchor - pos) * kBeforeAnchorWeight;
}

// What the nearby-link scan passes over: scripts, files, mail.
bool IsSkippedNearbyValue(std::string_view lowerValue) {
  if (Holds(lowerValue, '(') || Holds(lowerValue, "mailto:")) return true;
  if (lowerValue.ends_with(".7z") || VolumeOf(lowerValue).form != VolumeForm::None) return true;
  if (lowerValue.size() < 4) return false;
  std::string_view last = lowerValue.substr(lowerValue.size() - 4);
  for (std::string_view ending : {".mp3", ".zip", ".exe", ".ace", ".txt"}) {
    if (last == ending) return true;
  }
  return last.starts_with(".r") || (last.starts_with(".c") && IsDigit(last[2]));
}

// Rar, ace and 7z names, with their volumes (.r00, .c01), when Archiv asks
// for them.
bool HasArchiveEnding(std::string_view lowerValue) {
  if (lowerValue.ends_with(".7z")) return true;
  if (lowerValue.size() < 4) return false;
  std::string_view last = lowerValue.substr(lowerValue.size() - 4);
  return last == ".ace" || (last.starts_with(".r") && last[2] != 'u' && last[3] != 'u') ||
         (last.starts_with(".c") && IsDigit(last[3]));
}

// Today's volumes come with their kind, as .r00 comes with rar: .zNN and
// .zip.NNN with zip, .7z.NNN with 7z, .partN.rar with rar. 7z and rar are
// wanted with Archiv, or when the run's extensions name them.
bool IsWantedVolume(std::string_view lowerValue, const std::vector<std::string>& extensions,
                    bool archiv) {
  auto named = [&](std::string_view ext) {
    return std::find(extensions.begin(), extensions.end(), ext) != extensions.end();
  };
  switch (VolumeOf(lowerValue).type) {
    case ArchiveType::Zip: return named("zip");
    case ArchiveType::SevenZip: return archiv || named("7z");
    case ArchiveType::Rar: return archiv || named("rar");
    default: return false;
  }
}

bool EndsFileNameBackward(char c) {
  return c == '\'' || c == '/' || c == '"' || c == '=' || c == '?' || c == ':';
}

// The letter before a three-letter extension, in lower case.
char VolumeLetter(std::string_view name) {
  if (name.size() < 5) return '\0';
  const char c = name[name.size() - 5];
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// One occurrence of a pass's marker, read once per pass however many anchors
// scan over it. Positions are offsets in the page.
struct FileOccurrence {
  bool parsed = false;
  bool complete = false;  // the value was there: "=", quote, ">" as the pass needs
  bool wanted = false;    // by its extension, or as a rar or ace name
  bool named = false;     // passes the profile's name test
  bool absolute = false;  // the URL holds "http:" or "ftp:"
  int8_t series = -1;     // the numbered-series test; -1 until it has run
  uint32_t valueStart = 0;
  uint32_t valueEnd = 0;
  uint32_t nameStart = 0;
  uint32_t nameLength = 0;
  uint32_t urlStart = 0;  // the URL runs to valueEnd
  uint32_t nameId = 0;    // equal names, equal ids
  std::string url;        // made when a group first takes the file
};

struct FileLink {
  std::string_view name;  // in the page
  size_t occurrence;
};

struct FileGroup {
  std::vector<FileLink> files;
  uint64_t stamp = 0;  // marks the names this group holds
  std::string_view key;
  int64_t distance = 0;
};

// A link value as the nearby-link scan takes it, the same for every anchor
// whose scan meets it.
struct NearbyValue {
  bool usable = false;   // neither skipped nor without "http"
  bool relative = false;
  const HostingServer* host = nullptr;  // the hosting service it leads to
  std::string url;
};

struct NearbyCandidate {
  std::string url;
  int64_t score = 0;
};

// With SDM the page's groups wait here, grouped by the catalogue's own rules
// in a table of the page's, each entry with its distance and series flag.
struct ScoredGroups {
  struct Score {
    int64_t distance = kNoDistance;
    bool series = false;
  };
  FileCatalogue table{FileCatalogue::kPageCapacity};
  std::vector<Score> scores;  // by index in table
};

// The passes over one HTML page and what they collect for the end of the
// analysis: the scored groups and the nearby-link candidates.
class PageAnalysis {
 public:
  PageAnalysis(Context& ctx, const QueueEntry& entry, std::string_view page,
               std::string_view lower, LinkSink& sink)
      : ctx_(ctx),
        profile_(ctx.activeProfile),
        pageUrl_(entry.url),
        depth_(entry.depth),
        page_(page),
        lower_(lower),
        sink_(sink),
        systematic_(ctx.activeProfile.ExtractAll),
        cachePage_(Holds(entry.url, "q=cache:")),
        index_(lower) {}

  void Run();
  bool foundAnchor() const { return foundAnchor_; }
  void HandBestScoredGroup();
  void QueueNearbyLinks();

 private:
  void KeywordLinks();
  void Anchor(size_t anchor);
  void NearbyLinks(size_t anchor);
  const NearbyValue& NearbyValueAt(const LinkValueSpan& span);
  void FileLinks(size_t anchor);
  bool AnchorInLinkText(size_t anchor) const;
  void ScanFiles(size_t anchor, size_t first, bool ownLink);
  const FileOccurrence& Occurrence(size_t i);
  bool StartsSeries(size_t i);
  const std::string& FileUrl(size_t i);
  void EndScan(FileGroup& group);
  void Report(const FileGroup& group);
  void HandServerLink(const HostingServer& host, const std::string& name,
                      const std::string& url, int64_t distance);
  void AddScored(const std::string& name, const std::string& url, bool lettered,
                 int seriesLength, int64_t distance);

  Context& ctx_;
  const SearchProfile& profile_;
  const std::string& pageUrl_;
  const int depth_;
  const std::string_view page_;
  const std::string_view lower_;
  LinkSink& sink_;
  const bool systematic_;
  const bool cachePage_;  // a search engine's cached copy: its relative links lead nowhere
  const LinkValueIndex index_;

  int pass_ = 0;
  MarkerPositions passMarkers_;
  const MarkerPositions* markers_ = nullptr;
  std::vector<FileOccurrence> occurrences_;
  std::unordered_map<std::string_view, uint32_t> nameIds_;
  // By name id: the stamp of the last group that took the name.
  std::vector<uint64_t> nameStamps_;
  uint64_t groupStamp_ = 0;
  int64_t fileSteps_ = kFileScanSteps;
  std::unordered_set<uint64_t> reported_;

  bool foundAnchor_ = false;
  // The end of the farthest link that a nearby-link scan has taken so far.
  bool walked_ = false;
  size_t walkedTo_ = 0;

  std::unordered_map<uint64_t, NearbyValue> nearbyValues_;  // by value start and end
  std::vector<NearbyCandidate> candidates_;
  ScoredGroups scored_;
  std::unordered_set<std::string> serverHandOffs_;
};

void PageAnalysis::Run() {
  for (pass_ = 0; pass_ < 3; ++pass_) {
    if (pass_ == 2 && !ctx_.run.ImageMode) break;
    if (pass_ == 0) {
      markers_ = &index_.hrefs();
    } else {
      passMarkers_ = MarkerPositions(lower_, kPassMarkers[pass_]);
      markers_ = &passMarkers_;
    }
    occurrences_.assign(markers_->size(), FileOccurrence{});
    nameIds_.clear();
    nameStamps_.clear();

    if (pass_ == 0 && profile_.AjourURL && !cachePage_) KeywordLinks();
    if (systematic_) {
      foundAnchor_ = true;
      Anchor(0);
      continue;
    }
    // An empty input would make every character an anchor.
    const std::string& text = ctx_.SearchText;
    if (text.empty()) continue;
    for (size_t a = lower_.find(text); a != npos; a = lower_.find(text, a + 1)) {
      foundAnchor_ = true;
      Anchor(a);
    }
  }
}

// Internal links whose text names one of the profile's URL keywords.
void PageAnalysis::KeywordLinks() {
  const MarkerPositions linkEnds(lower_, "</a");
  const MarkerPositions& hrefs = index_.hrefs();
  for (const std::string& keyword : ctx_.run.UrlKeywords) {
    if (keyword.empty()) continue;
    int added = 0;
    for (size_t k = lower_.find(keyword); k != npos && added < kKeywordLinksPerKeyword;
         k = lower_.find(keyword, k + 1)) {
      const size_t linkEnd = linkEnds.NextFrom(k);
      if (linkEnd == npos) break;  // no later occurrence can be link text either
      if (linkEnd - k > kKeywordReach || hrefs.NextFrom(k + 1) < linkEnd) continue;
      const size_t href = hrefs.LastBefore(k);
      if (href == npos || k - href > kKeywordReach) continue;
      std::optional<LinkValueSpan> span = index_.Find(href, false);
      if (!span) continue;
      std::string_view lowerValue = lower_.substr(span->begin, span->length);
      // Only internal links: "//host/..." leads to another site as "http" does.
      if (lowerValue.starts_with('#') || lowerValue.starts_with("http") ||
          lowerValue.starts_with("ftp") || lowerValue.starts_with("//") ||
          Holds(lowerValue, '?') || Holds(lowerValue, ':')) {
        continue;
      }
      std::string url = ResolveUrl(pageUrl_, page_.substr(span->begin, span->length));
      if (sink_.AcceptUrl(url, FoundBy::KeywordLink, depth_ + 1)) ++added;
    }
  }
}

void PageAnalysis::Anchor(size_t anchor) {
  if (pass_ == 0 && (profile_.Serveurs || profile_.AjourURL || profile_.SiteScan)) {
    NearbyLinks(anchor);
  }
  FileLinks(anchor);
}

// The links around the anchor: server folders, and pages to explore next.
void PageAnalysis::NearbyLinks(size_t anchor) {
  const int64_t a = static_cast<int64_t>(anchor);
  const int64_t linkReach = a + profile_.AddLinkAway;
  const int64_t filesReach = a + profile_.FilesAway;
  const int64_t reach = std::max(linkReach, filesReach);
  size_t pos = anchor > kNearbyBackReach ? anchor - kNearbyBackReach : 0;
  int count = 0;
  bool lastWasServer = false;
  const HostingServer* host = nullptr;  // the first hosting service met near this anchor
  std::string folderName;
  int64_t folderDistance = 0;

  while (std::optional<LinkValueSpan> span = index_.Find(pos, true)) {
    const size_t end = span->end;
    const bool near =
        systematic_ || (++count <= ctx_.run.LinksPerAnchor && static_cast<int64_t>(end) <= reach);
    if (!near && !lastWasServer) break;
    // A folder's links are followed one after the other past the reach; a
    // link that the scan of an earlier anchor took already has been handed
    // on, and so has everything after it.
    if (!near && walked_ && end <= walkedTo_) break;
    pos = end;
    if (!walked_ || end > walkedTo_) {
      walked_ = true;
      walkedTo_ = end;
    }

    const NearbyValue& value = NearbyValueAt(*span);
    if (!value.usable) continue;
    const std::string& url = value.url;

    bool server = false;
    if (lastWasServer || static_cast<int64_t>(end) < filesReach) {
      const HostingServer* row = value.host;
      if (row != nullptr && host == nullptr) {
        host = row;
        folderName = row->label + "~" + std::to_string(++ctx_.run.ServerCounter);
        folderDistance = Distance(end, anchor);
      }
      // A link to another service is an ordinary link.
      server = row != nullptr && row == host;
    }
    if (server) {
      if (profile_.Serveurs) HandServerLink(*host, folderName, url, folderDistance);
      count = 0;
    }
    lastWasServer = server;

    if (profile_.SiteScan && value.relative) {
      sink_.AcceptUrl(url, FoundBy::NearbyLink, depth_ + 1);
    } else if (profile_.AjourURL && !server && candidates_.size() < kMaxCandidates &&
               static_cast<int64_t>(end) < linkReach) {
      int64_t score = std::abs(static_cast<int64_t>(end) - a);
      if (Holds(url, '?')) score += profile_.AddLinkAway;
      candidates_.push_back({url, score});
    }
  }
}

const NearbyValue& PageAnalysis::NearbyValueAt(const LinkValueSpan& span) {
  auto [it, added] = nearbyValues_.try_emplace((uint64_t{span.begin} << 32) | span.end);
  NearbyValue& v = it->second;
  if (!added) return v;
  std::string value(page_.substr(span.begin, span.length));
  if (IsSkippedNearbyValue(AsciiLower(value))) return v;
  if (StartsWithIgnoreCase(value, "http") || StartsWithIgnoreCase(value, "ftp")) {
    EncodeSpaces(value);
  } else if (!cachePage_) {
    value = ResolveUrl(pageUrl_, value);
    v.relative = true;
  }
  const size_t http = AsciiLower(value).find("http");
  if (http == std::string::npos) return v;
  v.usable = true;
  v.url = value.substr(http);
  CutAt(v.url, '#');
  CutAt(v.url, '>');
  v.host = ServerHostOf(ctx_.hosts, AsciiLower(v.url));
  return v;
}

// The links of one hosting service near one anchor make one folder; another
// anchor's folder of the same service names the same links again, which
// changes nothing, so each link goes out once per page.
void PageAnalysis::HandServerLink(const HostingServer& host, const std::string& name,
                                  const std::string& url, int64_t distance) {
  std::string key;
  AppendField(key, host.label);
  key += url;
  if (!serverHandOffs_.insert(std::move(key)).second) return;
  if (profile_.SDM) {
    AddScored(name, url, false, 0, distance);
  } else {
    sink_.AddFoundLink(name, url, pageUrl_, false, 0);
  }
}

void PageAnalysis::AddScored(const std::string& name, const std::string& url, bool lettered,
                             int seriesLength, int64_t distance) {
  if (AddFoundLink(ctx_, scored_.table, name, url, pageUrl_, lettered, seriesLength)) {
    scored_.scores.resize(static_cast<size_t>(scored_.table.count()));
    scored_.scores.back() = {distance, lettered};
  }
}

// The anchor is the text of a link when a "</a" closes right after it.
bool PageAnalysis::AnchorInLinkText(size_t anchor) const {
  std::string_view after = lower_.substr(anchor, kOwnLinkCloseReach + 3);
  size_t tag = after.find('<');
  if (tag == npos) return false;
  size_t linkEnd = after.find("</a", tag);
  return linkEnd != npos && linkEnd <= kOwnLinkCloseReach;
}

void PageAnalysis::FileLinks(size_t anchor) {
  if (systematic_) {
    ScanFiles(0, 0, false);
    return;
  }
  if (AnchorInLinkText(anchor)) {
    // Start at the link itself: its file is the anchor's own.
    const size_t back = markers_->LastBefore(anchor + 1);
    if (back != npos && anchor - back <= kOwnLinkBackReach) {
      ScanFiles(anchor, markers_->IndexFrom(back), true);
      return;
    }
  }
  ScanFiles(anchor, markers_->IndexFrom(anchor), false);
}

// The file links from one marker occurrence on, grouped by name.
void PageAnalysis::ScanFiles(size_t anchor, size_t first, bool ownLink) {
  const int64_t filesReach = static_cast<int64_t>(anchor) + profile_.FilesAway;
  FileGroup group;
  group.stamp = ++groupStamp_;
  bool series = false;  // a numbered series was seen: every later value is a file
  for (size_t i = first; i < markers_->size(); ++i) {
    if (fileSteps_ <= 0) break;
    --fileSteps_;
    // Every URL lies after its marker, so past the reach an empty selective
    // group can only end the scan.
    if (!systematic_ && group.files.empty() &&
        static_cast<int64_t>((*markers_)[i]) > filesReach) {
      break;
    }
    const FileOccurrence& o = Occurrence(i);
    if (!o.complete) {
      EndScan(group);
      if (!systematic_) return;
      series = false;
      continue;
    }
    bool wanted = o.wanted;
    if (!wanted && pass_ == 0 && profile_.SAD) {
      if (!series) series = StartsSeries(i);
      wanted = series;
    }
    if (!wanted) {
      ownLink = false;
      continue;
    }
    if (!o.named) continue;

    const std::string_view name = page_.substr(o.nameStart, o.nameLength);
    if (group.files.empty()) {
      if (!systematic_ && static_cast<int64_t>(o.urlStart) > filesReach) break;
      group.key = name;
      group.distance = ownLink ? 0 : Distance(o.urlStart, anchor);
      ownLink = false;
    } else {
      const size_t compared = std::max<size_t>(group.key.size() > 7 ? group.key.size() - 7 : 0, 2);
      if (name.substr(0, compared) != group.key.substr(0, compared)) {
        if (!systematic_) break;
        EndScan(group);
        group.key = name;
        group.distance = Distance(o.urlStart, anchor);
      }
    }
    uint64_t& holder = nameStamps_[o.nameId];
    if (group.files.size() < kMaxGroupFiles && holder != group.stamp) {
      holder = group.stamp;
      group.files.push_back({name, i});
    }
    // A full group takes nothing more, and a selective scan only adds.
    if (!systematic_ && group.files.size() >= kMaxGroupFiles) break;
  }
  EndScan(group);
}

const FileOccurrence& PageAnalysis::Occurrence(size_t i) {
  FileOccurrence& o = occurrences_[i];
  if (o.parsed) return o;
  o.parsed = true;
  const size_t n = lower_.size();
  const size_t marker = (*markers_)[i];
  size_t begin = 0;
  size_t end = 0;
  if (pass_ == 1) {
    // An absolute address runs to the quote that ends the attribute.
    end = std::min(index_.apostrophes().NextFrom(marker), index_.quotes().NextFrom(marker));
    if (end == npos || end - marker > kAbsoluteQuoteReach) return o;
    begin = marker;
  } else {
    size_t equals = index_.equals().NextFrom(marker + kPassMarkers[pass_].size());
    if (equals == npos || equals - marker > kFileEqualsReach) return o;
    begin = equals + 1;
    while (begin < n && lower_[begin] == ' ') ++begin;
    const bool apostrophe = begin < n && lower_[begin] == '\'';
    if (begin < n && (lower_[begin] == '"' || apostrophe)) ++begin;
    end = index_.closings().NextFrom(begin);
    if (end == npos) return o;
    end = std::min(end, index_.quotes().NextFrom(begin));
    // An apostrophe-quoted value ends at its own closing apostrophe.
    if (apostrophe) end = std::min(end, index_.apostrophes().NextFrom(begin));
  }
  end = std::min(end, begin + kMaxLinkChars);
  while (end > begin && lower_[end - 1] == ' ') --end;
  o.complete = true;
  o.valueStart = static_cast<uint32_t>(begin);
  o.valueEnd = static_cast<uint32_t>(end);

  const std::string_view value = lower_.substr(begin, end - begin);
  o.wanted = HasWantedExtension(value, ctx_.run.Extensions) ||
             (profile_.Archiv && HasArchiveEnding(value)) ||
             IsWantedVolume(value, ctx_.run.Extensions, profile_.Archiv);

  size_t nameStart = end;
  while (nameStart > begin && !EndsFileNameBackward(lower_[nameStart - 1])) --nameStart;
  o.nameStart = static_cast<uint32_t>(nameStart);
  o.nameLength = static_cast<uint32_t>(std::min(end - nameStart, kMaxNameChars));
  const std::string_view name = page_.substr(o.nameStart, o.nameLength);
  auto [id, added] = nameIds_.try_emplace(name, static_cast<uint32_t>(nameIds_.size()));
  if (added) nameStamps_.push_back(0);
  o.nameId = id->second;
  o.named = MatchesFileName(lower_.substr(o.nameStart, end - nameStart), profile_.FileNameMode,
                            ctx_.run.NamePrefixes, ctx_.run.BareName);

  // The address proper: an absolute one inside the value (a script call, a
  // redirector's parameter), else what follows the first "=", else the value.
  size_t url = std::min(value.find("http:"), value.find("ftp:"));
  if (ctx_.netSettings.Https) url = std::min(url, value.find("https:"));
  if (url == npos) {
    size_t equals = value.find('=');
    url = equals == npos ? 0 : equals + 1;
  }
  o.urlStart = static_cast<uint32_t>(begin + url);
  std::string_view urlText = value.substr(url);
  o.absolute = Holds(urlText, "http:") || Holds(urlText, "ftp:") ||
               (ctx_.netSettings.Https && Holds(urlText, "https:"));
  return o;
}

// The numbered-series test of a value that has no wanted extension.
bool PageAnalysis::StartsSeries(size_t i) {
  FileOccurrence& o = occurrences_[i];
  if (o.series < 0) {
    o.series = 0;
    if (o.valueEnd > o.valueStart) {
      const size_t last = o.valueEnd - 1;
      std::optional<LinkValueSpan> next = index_.Find(last + 3, false);
      if (next && next->end - last <= kSeriesReach) {
        // The series test reads no further than the next link's own end.
        std::string_view upToNext = lower_.substr(0, next->extent + 1);
        bool flag = false;
        o.series = IsNumberedSeries(upToNext, o.valueStart, o.valueEnd, flag) ? 1 : 0;
      }
    }
  }
  return o.series == 1;
}

const std::string& PageAnalysis::FileUrl(size_t i) {
  FileOccurrence& o = occurrences_[i];
  if (o.url.empty()) {
    std::string_view text = page_.substr(o.urlStart, o.valueEnd - o.urlStart);
    o.url = o.absolute ? std::string(text) : ResolveUrl(pageUrl_, text);
  }
  return o.url;
}

void PageAnalysis::EndScan(FileGroup& group) {
  if (!group.files.empty() && static_cast<int64_t>(group.files.size()) >= profile_.MinFiles) {
    Report(group);
  }
  group.files.clear();
  group.stamp = ++groupStamp_;
}

void PageAnalysis::Report(const FileGroup& group) {
  const int size = static_cast<int>(group.files.size());
  const bool lettered = size >= 3 && VolumeLetter(group.files[0].name) == 'a' &&
                        VolumeLetter(group.files[1].name) == 'b' &&
                        VolumeLetter(group.files[2].name) == 'c';
  for (const FileLink& file : group.files) {
    // Each anchor reports its group again, with its own size: on a listing
    // every anchor's group is most of the run that follows it. The catalogue
    // reads the size only as "two or more" (whether volume numbers leave the
    // key), so a link reported again in the same class changes nothing.
    const uint64_t key = (uint64_t{static_cast<uint32_t>(pass_)} << 40) |
                         (uint64_t{file.occurrence} << 2) | (lettered ? 2u : 0u) |
                         (size >= 2 ? 1u : 0u);
    if (!reported_.insert(key).second) continue;
    // The name whole as the link writes it: it is cut once decoded.
    const FileOccurrence& o = occurrences_[file.occurrence];
    const std::string name = DecodeFileName(page_.substr(o.nameStart, o.valueEnd - o.nameStart));
    const std::string& url = FileUrl(file.occurrence);
    if (profile_.SDM) {
      AddScored(name, url, lettered, size, group.distance);
    } else {
      sink_.AddFoundLink(name, url, pageUrl_, lettered, size);
    }
  }
}

// With SDM only the group placed closest to the searched text, a file group
// or a server folder, reaches the catalogue: once per name group of its
// entry, with that group's first file.
void PageAnalysis::HandBestScoredGroup() {
  if (!profile_.SDM) return;
  int best = -1;
  int64_t bestDistance = kNoDistance;
  for (size_t i = 0; i < scored_.scores.size(); ++i) {
    if (scored_.scores[i].distance < bestDistance && scored_.table.entries[i]) {
      best = static_cast<int>(i);
      bestDistance = scored_.scores[i].distance;
    }
  }
  if (best < 0) return;
  // The table is this page's own: no other thread reads or changes it.
  const FoundEntry& entry = *scored_.table.entries[static_cast<size_t>(best)];
  const bool lettered = scored_.scores[static_cast<size_t>(best)].series;
  const int groups = GroupCount(entry);
  for (const FoundFile* g : GroupsOf(entry)) {
    sink_.AddFoundLink(g->name, g->url, g->page, lettered, groups > 1 ? 2 : 1);
  }
}

// At most three links near the searched text are explored next, the closest
// first; links with a query count double and come after the others.
void PageAnalysis::QueueNearbyLinks() {
  if (depth_ >= kNearbyMaxDepth || candidates_.empty()) return;
  int points = 0;
  for (;;) {
    NearbyCandidate* best = nullptr;
    int64_t bestScore = kNoScore;
    for (NearbyCandidate& c : candidates_) {
      if (c.score <= bestScore) {
        best = &c;
        bestScore = c.score;
      }
    }
    if (best == nullptr || bestScore >= kNoScore) return;
    if (sink_.AcceptUrl(best->url, FoundBy::NearbyLink, depth_ + 1)) ++points;
    if (Holds(best->url, '?')) ++points;
    if (points > kNearbyPointLimit) return;
    best->score = kUsedScore;
  }
}

// Where a 3xx answer sends the fetched address: its Location field, an
// absolute or a relative one, resolved against that address.
std::string RedirectTarget(std::string_view response, std::string_view fetchedUrl) {
  std::optional<std::string_view> location = HeaderField(response, "Location");
  return location ? ResolveLocation(fetchedUrl, *location) : std::string();
}

// A 3xx answer: its Location, unless it carries a query.
void FollowServerRedirect(const std::string& target, int depth, LinkSink& sink) {
  if (!target.empty() && target.find('?') == std::string::npos) {
    sink.AcceptUrl(target, FoundBy::ServerRedirect, depth);
  }
}

}  // namespace

void AnalyseFetchedPage(Context& ctx, QueueEntry& entry, std::optional<std::string> page,
                        FetchError label, LinkSink& sink) {
  OncePerPageSink once(sink);
  // A failed fetch is a page without content, whatever text came with it.
  if (label != FetchError::None && label != FetchError::Redirect) page.reset();

  bool hasContent = false;
  std::string lower;
  std::optional<PageAnalysis> analysis;
  if (page) {
    std::string& text = *page;
    // The page is read as the zero-terminated text of one fetch buffer.
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    if (text.size() > kMaxPageChars) text.resize(kMaxPageChars);
    // Header lines are read before the folding joins them.
    std::string redirect = label == FetchError::Redirect ? RedirectTarget(text, entry.url) : "";
    CollapseWhitespace(text);
    lower = AsciiLower(text);

    if (Holds(lower, "window.location") && Holds(lower, "refresh")) {
      ScanScriptRedirect(lower, text, entry.url, entry.depth, once);
    }
    if (label == FetchError::Redirect) {
      hasContent = true;
      FollowServerRedirect(redirect, entry.depth, once);
    } else if (Holds(lower, "</noframes>")) {
      ScanFrames(ctx, lower, text, entry.url, entry.depth, once);
      hasContent = true;
    } else if (Holds(lower, "<html") || Holds(lower, "<body")) {
      analysis.emplace(ctx, entry, text, lower, once);
      analysis->Run();
      hasContent = analysis->foundAnchor();
    }
  }

  if (!hasContent) {
    std::string cacheUrl;
    {
      std::lock_guard lock(ctx.QueueLock);
      cacheUrl = entry.cacheUrl;
    }
    if (!cacheUrl.empty()) once.AcceptUrl(cacheUrl, FoundBy::CacheFallback, 0);
  }
  if (analysis) {
    analysis->HandBestScoredGroup();
    analysis->QueueNearbyLinks();
  }
}

bool AnalysePage(Context& ctx, QueueEntry& entry, uint64_t generation) {
  std::optional<std::string> page;
  FetchError label = FetchError::None;
  if (MayFetch(ctx, entry.url, generation) && ctx.run.Serves(generation)) {
    page = FetchPage(ctx, entry.url, label, false, 0, "");
  }
  // A single-page analysis explores no other page, so a redirection of the
  // page the user gave (a folder address without its final "/") is followed
  // here, or the analysis would come back empty.
  std::string url = entry.url;
  if (ctx.run.SinglePage && entry.depth == 0) {
    for (int hop = 0; hop < kMaxRedirectHops && label == FetchError::Redirect && page &&
                      ctx.run.Serves(generation);
         ++hop) {
      std::string next = NormaliseQueueUrl(RedirectTarget(*page, url));
      const bool fetchable = StartsWithIgnoreCase(next, "http://") ||
                             (ctx.netSettings.Https && StartsWithIgnoreCase(next, "https://"));
      if (!fetchable || next == url) break;
      url = std::move(next);
      page = FetchPage(ctx, url, label, false, 0, "");
    }
  }
  // Counted before the check, so that a run starting after it waits for
  // this analysis (see StartExplorationRun).
  ++ctx.run.analysing;
  struct Done {
    std::atomic<int>& count;
    ~Done() { --count; }
  } done{ctx.run.analysing};
  if (!ctx.run.Serves(generation)) return false;
  entry.state = kDone;
  QueueLinkSink sink(ctx, generation);
  if (url == entry.url) {
    AnalyseFetchedPage(ctx, entry, std::move(page), label, sink);
  } else {
    // The page is read as the address it came from, so its links resolve there.
    QueueEntry moved(url, entry.engine, entry.foundBy, entry.depth);
    AnalyseFetchedPage(ctx, moved, std::move(page), label, sink);
  }
  return true;
}

}  // namespace orvi
