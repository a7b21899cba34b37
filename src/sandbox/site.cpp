#include "sandbox/site.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>

#include "core/url_text.h"
#include "platform/cp1252.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "sandbox/fake_engines.h"

namespace orvi::sandbox {
namespace {

constexpr uint64_t kMaxOffset = 1'000'000'000;

// A number field of the query string; anything but plain digits is absent.
uint64_t NumberField(std::string_view text, bool present, uint64_t fallback, uint64_t max) {
  if (!present || text.empty() || text.size() > 12 ||
      text.find_first_not_of("0123456789") != std::string_view::npos) {
    return fallback;
  }
  return std::min<uint64_t>(std::stoull(std::string(text)), max);
}

uint64_t NumberParam(const Request& request, std::string_view name, uint64_t fallback, uint64_t max) {
  bool present;
  std::string value = request.Param(name, &present);
  return NumberField(value, present, fallback, max);
}

uint64_t PerPage(uint64_t asked) { return std::clamp<uint64_t>(asked, 1, 100); }

std::string Extension(std::string_view path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return AsciiLower(path.substr(dot + 1));
}

std::string ContentType(std::string_view path) {
  static const std::map<std::string, std::string, std::less<>> kTypes = {
      {"html", "text/html; charset=windows-1252"}, {"htm", "text/html; charset=windows-1252"},
      {"txt", "text/plain; charset=windows-1252"}, {"css", "text/css"},
      {"mp3", "audio/mpeg"}, {"ogg", "audio/ogg"}, {"wma", "audio/x-ms-wma"},
      {"zip", "application/zip"}, {"rar", "application/x-rar-compressed"},
      {"ace", "application/x-ace-compressed"}, {"exe", "application/x-msdownload"},
      {"msi", "application/x-msi"}, {"jpg", "image/jpeg"}, {"gif", "image/gif"},
      {"png", "image/png"}, {"pdf", "application/pdf"}};
  auto it = kTypes.find(Extension(path));
  return it == kTypes.end() ? "application/octet-stream" : it->second;
}

bool IsPage(std::string_view path) {
  std::string ext = Extension(path);
  return ext == "html" || ext == "htm";
}

// A decoded path written for a link: unreserved bytes and "/" as they are,
// the rest %XX.
std::string PathEncode(std::string_view path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
        std::strchr("/-_.~!$'()*,;=:@", c) != nullptr) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

// "14-Feb-2003 10:22", as directory listings show dates.
std::string ListingDate(int64_t seconds) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  time_t t = static_cast<time_t>(seconds);
  std::tm tm{};
  if (::gmtime_r(&t, &tm) == nullptr) return "01-Jan-1970 00:00";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d-%s-%04d %02d:%02d", tm.tm_mday, kMonths[tm.tm_mon % 12],
                tm.tm_year + 1900, tm.tm_hour, tm.tm_min);
  return buffer;
}

std::string ListingSize(uint64_t size) {
  if (size < 1024) return std::to_string(size);
  if (size < 1024 * 1024) return std::to_string((size + 1023) / 1024) + "k";
  uint64_t tenths = (size * 10 + 512 * 1024) / (1024 * 1024);
  if (tenths < 100) return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "M";
  return std::to_string(tenths / 10) + "M";
}

Response FileResponse(const std::string& disk, const std::string& path, const struct stat& st,
                      std::string_view base) {
  Response response;
  response.contentType = ContentType(path);
  response.headers.emplace_back("Last-Modified", HttpDate(st.st_mtime));
  if (IsPage(path)) {
    std::optional<std::string> text = ReadWholeFile(disk);
    if (!text) return ErrorResponse(404);
    response.body = ExpandBase(*text, base);
  } else {
    response.kind = Response::Body::File;
    response.path = disk;
    response.length = static_cast<uint64_t>(st.st_size);
  }
  return response;
}

struct ListingEntry {
  bool folder = false;
  uint64_t size = 0;
  int64_t modified = 0;
};

std::string LinkList(const std::map<std::string, ListingEntry>& entries) {
  std::string list;
  for (const auto& [name, entry] : entries) {
    list += "<li><a href=\"" + PathEncode(name) + "\">" + HtmlEscape(name) + "</a>\n";
  }
  return list;
}

}  // namespace

Site::Site(Fixture fixture, std::string sitesFolder)
    : fixture_(std::move(fixture)), sitesFolder_(std::move(sitesFolder)) {
  while (!sitesFolder_.empty() && sitesFolder_.back() == '/') sitesFolder_.pop_back();
}

Response Site::Respond(const Request& request, std::string_view base) const {
  if (std::optional<Response> today = TodaysEngines(request, base)) return *today;
  if (request.method != "GET" && request.method != "HEAD") {
    Response response = ErrorResponse(405, "The sandbox answers GET and HEAD only.");
    response.headers.emplace_back("Allow", "GET, HEAD");
    return response;
  }
  if (request.path == "/search" || request.path == "/search/query.dll") return Engines(request, base);
  if (request.path == "/translate.dyn") return Translate(request);
  if (request.path == "/addtop10.php3") {
    // The report is only counted (the request log shows it); its answer is never read.
    Response response;
    response.body = "<html><body>Merci.</body></html>\n";
    return response;
  }
  if (const std::string* text = fixture_.Text(request.path)) {
    Response response;
    response.contentType = "text/plain; charset=windows-1252";
    response.body = *text;
    return response;
  }
  return Files(request.path, base);
}

Response Site::Translate(const Request& request) const {
  // The input comes as UTF-8 bytes and %XX escapes; the fixture knows it in
  // Windows-1252.
  std::string input = Utf8ToCp1252(FormDecode(request.Param("urltext")));
  Response response;
  response.body = "<html><head><title>Traduction</title></head><body>\n<form action=\"/translate.dyn\">\n";
  if (const std::string* english = fixture_.Translation(input)) {
    response.body += "<textarea rows=\"3\" cols=\"40\" name=\"q\">" + HtmlEscape(*english) + "</textarea>\n";
  } else {
    response.body += "<p>Aucune traduction pour " + HtmlEscape(input) + ".</p>\n";
  }
  response.body += "</form>\n</body></html>\n";
  return response;
}

Response Site::Engines(const Request& request, std::string_view base) const {
  Response response;
  const std::string query = request.Param("q");
  ResultPageInput in{query, nullptr, 0, 10, base};
  if (request.path == "/search/query.dll") {
    // WiseNut takes the page size from its preference cookie only.
    std::string nnum = CookieField(request.Header("Cookie"), "nnum");
    in.perPage = PerPage(NumberField(nnum, true, 10, 100));
    in.offset = NumberParam(request, "p", 0, kMaxOffset / 100) * in.perPage;
    in.answer = fixture_.Answer(Engine::WiseNut, query);
    response.body = WiseNutPage(in);
    return response;
  }
  if (StartsWithIgnoreCase(query, "cache:")) return Cache(query, base);
  bool hasO, hasHits, hasStart;
  request.Param("o", &hasO);
  request.Param("hits", &hasHits);
  request.Param("start", &hasStart);
  if ((hasO || hasHits) && !hasStart) {
    in.offset = NumberParam(request, "o", 0, kMaxOffset);
    in.perPage = PerPage(NumberParam(request, "hits", 10, 100));
    in.answer = fixture_.Answer(Engine::Fast, query);
    response.body = FastPage(in);
  } else {
    in.offset = NumberParam(request, "start", 0, kMaxOffset);
    in.perPage = PerPage(NumberParam(request, "num", 10, 100));
    in.answer = fixture_.Answer(Engine::Google, query);
    response.body = GooglePage(in);
  }
  return response;
}

std::optional<Response> Site::TodaysEngines(const Request& request, std::string_view base) const {
  std::string_view path = request.path;
  const bool blocked = path.starts_with("/blocked/");
  if (blocked) path.remove_prefix(8);
  std::string_view engine;
  for (std::string_view known : {"/mojeek/search", "/duckduckgo/html/", "/bing/search"}) {
    if (path == known) engine = known.substr(1, known.find('/', 1) - 1);
  }
  const bool post = request.method == "POST" && engine == "duckduckgo";
  if (engine.empty() || (request.method != "GET" && request.method != "HEAD" && !post)) return std::nullopt;
  if (blocked) return BlockPage(engine);
  const std::string query = Utf8ToCp1252(request.Param("q"));
  ResultPageInput in{query, fixture_.Answer(Engine::Google, query), 0, 10, base};
  const std::string prefix = "/" + std::string(engine);
  Response response;
  response.contentType = "text/html; charset=utf-8";
  if (engine == "mojeek") {
    const uint64_t s = NumberParam(request, "s", 1, kMaxOffset);
    if (s == 0) return ErrorResponse(403, "s=0");  // as Mojeek refuses it
    in.offset = s - 1;
    response.body = MojeekPage(in, prefix);
  } else if (engine == "bing") {
    in.offset = std::max<uint64_t>(NumberParam(request, "first", 1, kMaxOffset), 1) - 1;
    response.body = BingPage(in, prefix);
  } else {
    in.offset = NumberParam(request, "s", 0, kMaxOffset);
    // A later page asked without the first page's vqd gets the client refused.
    if (in.offset > 0 && request.Param("vqd") != DuckDuckGoVqd(query)) return BlockPage(engine);
    response.body = DuckDuckGoPage(in, prefix);
  }
  return response;
}

Response Site::Cache(std::string_view query, std::string_view base) const {
  std::string_view rest = query.substr(6);
  // "cache:ID:host/path": the id only tells Google's copies apart.
  size_t colon = rest.find(':');
  if (colon != std::string_view::npos && colon <= 16 &&
      rest.substr(0, colon).find_first_not_of(
          "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_-") == std::string_view::npos) {
    rest.remove_prefix(colon + 1);
  }
  rest = rest.substr(0, rest.find(' '));
  std::string url(rest);
  if (!StartsWithIgnoreCase(url, "http://")) url = "http://" + url;
  if (StartsWithIgnoreCase(url, std::string(base) + "/") || EqualsIgnoreCase(url, base)) {
    std::string path = url.size() > base.size() ? url.substr(base.size()) : "/";
    path = path.substr(0, path.find_first_of("?#"));
    UrlDecode(path);
    Response page = Files(path, base);
    if (page.status == 200 && page.kind == Response::Body::Text && page.contentType.starts_with("text/html")) {
      page.body = GoogleCachePage(url, page.body);
      page.headers.clear();
      return page;
    }
  }
  return ErrorResponse(404, "Sorry, no content found for this URL.");
}

Response Site::Files(std::string path, std::string_view base) const {
  if (!RemoveDotSegments(path) || !IsSafePath(path)) return ErrorResponse(404);
  if (const ServedFile* file = fixture_.File(path)) {
    Response response;
    response.contentType = ContentType(path);
    response.kind = Response::Body::Filler;
    response.length = file->size;
    response.body = "orvilane-sandbox " + path + "\n";
    response.headers.emplace_back("Last-Modified", HttpDate(file->modified));
    return response;
  }
  struct stat st{};
  std::string disk = sitesFolder_.empty() ? std::string() : sitesFolder_ + path;
  bool onDisk = !disk.empty() && ::stat(disk.c_str(), &st) == 0;
  if (onDisk && S_ISREG(st.st_mode)) {
    if (path.back() == '/') return ErrorResponse(404);
    return FileResponse(disk, path, st, base);
  }
  bool diskFolder = onDisk && S_ISDIR(st.st_mode);
  std::string folder = path.back() == '/' ? path : path + "/";
  if (folder != "/" && !diskFolder && fixture_.FolderEntries(folder).empty()) return ErrorResponse(404);
  if (path.back() != '/') {
    Response response = ErrorResponse(301);
    response.headers.emplace_back("Location", std::string(base) + PathEncode(folder));
    return response;
  }
  return Folder(path, base, diskFolder);
}

Response Site::Folder(const std::string& path, std::string_view base, bool onDisk) const {
  struct stat st{};
  std::string index = sitesFolder_ + path + "index.html";
  if (onDisk && ::stat(index.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    return FileResponse(index, path + "index.html", st, base);
  }
  if (path == "/") return Home(base);

  std::map<std::string, ListingEntry> entries;
  if (onDisk) {
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(sitesFolder_ + path, ec)) {
      std::string name = item.path().filename().string();
      if (name.starts_with(".") || ::stat(item.path().c_str(), &st) != 0) continue;
      bool folder = S_ISDIR(st.st_mode);
      entries[folder ? name + "/" : name] = {folder, static_cast<uint64_t>(st.st_size), st.st_mtime};
    }
  }
  for (const auto& [name, file] : fixture_.FolderEntries(path)) {
    entries[name] = file ? ListingEntry{false, file->size, file->modified} : ListingEntry{true, 0, 0};
  }

  std::string title = path.size() > 1 ? path.substr(0, path.size() - 1) : path;
  std::string parent = title.substr(0, title.rfind('/') + 1);
  std::string page =
      "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\n<html>\n<head>\n<title>Index of " +
      HtmlEscape(title) + "</title>\n</head>\n<body>\n<h1>Index of " + HtmlEscape(title) +
      "</h1>\n<pre>Name                                    Last modified       Size\n<hr>"
      "<a href=\"" + PathEncode(parent) + "\">Parent Directory</a>\n";
  for (const auto& [name, entry] : entries) {
    std::string shown = HtmlEscape(name);
    page += "<a href=\"" + PathEncode(name) + "\">" + shown + "</a>" +
            std::string(name.size() < 40 ? 40 - name.size() : 1, ' ') +
            (entry.folder && entry.modified == 0 ? std::string(17, ' ') : ListingDate(entry.modified)) +
            "  " + (entry.folder ? std::string("-") : ListingSize(entry.size)) + "\n";
  }
  page += "<hr></pre>\n<address>orvilane-sandbox at " + HtmlEscape(base) + "</address>\n</body></html>\n";
  Response response;
  response.body = std::move(page);
  return response;
}

Response Site::Home(std::string_view base) const {
  std::string page =
      "<html><head><title>Orvilane sandbox</title></head><body>\n<h1>Orvilane sandbox</h1>\n"
      "<p>Point the [Engines] section of ORVI.ini at " + HtmlEscape(base) + " to search this web.\n"
      "<form method=GET action=/search>Google <input type=text name=q size=40>"
      "<input type=hidden name=num value=50><input type=submit value=Search></form>\n"
      "<form method=GET action=/search>Fast <input type=hidden name=t value=all>"
      "<input type=text name=q size=40><input type=hidden name=hits value=50>"
      "<input type=submit value=Search></form>\n"
      "<form method=GET action=/search/query.dll>WiseNut <input type=hidden name=p value=0>"
      "<input type=text name=q size=40><input type=submit value=Search></form>\n"
      "<p>Today's engines answer Google's queries: <a href=/mojeek/search?q=>/mojeek/search?q=</a>, "
      "<a href=/duckduckgo/html/?q=>/duckduckgo/html/?q=</a>, <a href=/bing/search?q=>/bing/search?q=</a>; "
      "under /blocked/ (/blocked/bing/search?q=) each refuses as it does.\n"
      "<h2>Queries with answers</h2>\n";
  for (Engine engine : {Engine::Google, Engine::Fast, Engine::WiseNut}) {
    page += std::string("<h3>") + EngineName(engine) + "</h3>\n<ul>\n";
    for (const std::string& query : fixture_.Queries(engine)) {
      std::string q = FormEncode(query);
      std::string link = engine == Engine::Google ? "/search?q=" + q + "&num=50&start=0"
                         : engine == Engine::Fast ? "/search?t=all&o=0&q=" + q + "&hits=50"
                                                  : "/search/query.dll?p=0&q=" + q;
      page += "<li><a href=\"" + link + "\">" + HtmlEscape(query) + "</a>\n";
    }
    page += "</ul>\n";
  }
  std::map<std::string, ListingEntry> top;
  std::error_code ec;
  if (!sitesFolder_.empty()) {
    for (const auto& item : std::filesystem::directory_iterator(sitesFolder_, ec)) {
      std::string name = item.path().filename().string();
      if (!name.starts_with(".")) top[item.is_directory(ec) ? name + "/" : name] = {};
    }
  }
  for (const auto& entry : fixture_.FolderEntries("/")) top[entry.first] = {};
  page += "<h2>Sites</h2>\n<ul>\n" + LinkList(top) + "</ul>\n</body></html>\n";
  Response response;
  response.body = std::move(page);
  return response;
}

}  // namespace orvi::sandbox
