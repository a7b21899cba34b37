#include "site/news.h"

#include "net/fetch_page.h"
#include "platform/file_io.h"

namespace orvi {

std::string NormaliseNews(std::string_view fetched) {
  size_t start = fetched.find_first_not_of("\r\n");
  if (start == std::string_view::npos) return {};
  std::string out;
  out.reserve(fetched.size() - start + 128);
  for (size_t lf; (lf = fetched.find('\n', start)) != std::string_view::npos; start = lf + 1) {
    out.append(fetched.substr(start, lf - start));
    out.append("\r\n");
  }
  return out;
}

std::optional<std::string> TakeNewNews(const std::string& folder, std::string_view fetched) {
  std::string message = NormaliseNews(fetched);
  std::string copyPath = folder + std::string(kNewsCopy);
  std::optional<std::string> copy = ReadWholeFile(copyPath);
  if (copy && *copy == message) return std::nullopt;
  // A failure to write is not reported; the message is shown all the same.
  WriteWholeFile(copyPath, message);
  return message;
}

std::optional<std::string> CheckNews(Context& ctx) {
  const std::string& site = ctx.engines.SiteUrl;
  if (site.empty()) return std::nullopt;
  FetchError label = FetchError::None;
  // The check runs beside the windows at start-up: it serves no search, so a
  // search that starts or stops meanwhile must not break its connection.
  std::optional<std::string> text = FetchPage(ctx, site + std::string(kNewsPath), label,
                                              /*stopAtBodyEnd=*/true, 0, "", /*forSearch=*/false);
  // A redirection comes back as the whole response: no message to show.
  if (!text || label != FetchError::None) return std::nullopt;
  return TakeNewNews(ctx.AppFolder, *text);
}

}  // namespace orvi
