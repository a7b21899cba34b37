#include "search/web_pages.h"

#include <nlohmann/json.hpp>

#include "core/base64.h"
#include "core/url_text.h"
#include "platform/text.h"
#include "search/html_tags.h"

namespace orvi {
namespace {

constexpr size_t npos = std::string_view::npos;

// The value of a query parameter of a link, as it is written there.
std::optional<std::string_view> QueryValue(std::string_view link, std::string_view name) {
  for (size_t at = link.find(name); at != npos; at = link.find(name, at + 1)) {
    if (at == 0 || (link[at - 1] != '?' && link[at - 1] != '&')) continue;
    if (at + name.size() >= link.size() || link[at + name.size()] != '=') continue;
    const size_t begin = at + name.size() + 1;
    return link.substr(begin, link.find('&', begin) - begin);
  }
  return std::nullopt;
}

bool StartsWithAny(std::string_view text, std::string_view list) {
  for (std::string_view piece : CommaPieces(list)) {
    piece = TrimWhite(piece);
    if (!piece.empty() && text.starts_with(piece)) return true;
  }
  return false;
}

bool HoldsAny(std::string_view text, std::string_view list, std::string& which) {
  for (std::string_view piece : CommaPieces(list)) {
    piece = TrimWhite(piece);
    if (!piece.empty() && text.find(piece) != npos) {
      which = piece;
      return true;
    }
  }
  return false;
}

// Takes one result's address, unless it is an ad or no web address.
void TakeLink(const WebEngine& row, std::string_view href, std::vector<std::string>& links) {
  if (href.empty() || StartsWithAny(href, row.Skip)) return;
  std::string link = UnwrapLink(row, href);
  if (StartsWithAny(link, row.Skip)) return;
  if (!StartsWithIgnoreCase(link, "http://") && !StartsWithIgnoreCase(link, "https://")) return;
  links.push_back(link.substr(0, kMaxLinkChars));
}

void ReadHtmlResults(const WebEngine& row, std::string_view page, std::vector<std::string>& links) {
  if (row.ResultLink.empty()) return;
  if (row.ResultBlock.empty()) {
    for (auto tag = FindChain(page, row.ResultLink, 0); tag; tag = FindChain(page, row.ResultLink, tag->end)) {
      TakeLink(row, tag->Attribute("href").value_or(""), links);
    }
    return;
  }
  // The start of each result block from pos on, and where the block's own
  // markup begins.
  const bool literal = row.ResultBlock.starts_with("<");
  auto nextBlock = [&](size_t pos) -> std::pair<size_t, size_t> {
    if (literal) {
      size_t at = page.find(row.ResultBlock, pos);
      return {at, at == npos ? npos : at + row.ResultBlock.size()};
    }
    auto tag = FindChain(page, row.ResultBlock, pos);
    return tag ? std::pair{tag->begin, tag->end} : std::pair{npos, npos};
  };
  for (auto block = nextBlock(0); block.first != npos;) {
    auto following = nextBlock(block.second);
    size_t limit = following.first;
    if (!row.ResultBlockEnd.empty()) limit = std::min(limit, page.find(row.ResultBlockEnd, block.second));
    if (auto tag = FindChain(page, row.ResultLink, block.second, limit)) {
      TakeLink(row, tag->Attribute("href").value_or(""), links);
    }
    block = following;
  }
}

// A next-page link: a tag of the chain whose href asks the next paging value.
bool HasNextLink(const WebEngine& row, std::string_view page, int paging) {
  if (row.NextLink.empty() || row.PagingParam.empty()) return false;
  const std::string wanted = FormatInt(NextPaging(row, paging));
  const size_t last = row.NextLink.rfind(' ');
  const std::string_view container = last == npos ? std::string_view() : std::string_view(row.NextLink).substr(0, last);
  const std::string_view link = std::string_view(row.NextLink).substr(last == npos ? 0 : last + 1);
  size_t pos = 0;
  if (!container.empty()) {
    auto found = FindChain(page, container, 0);
    if (!found) return false;
    pos = found->end;
  }
  for (auto tag = FindChain(page, link, pos); tag; tag = FindChain(page, link, tag->end)) {
    std::string href = tag->Attribute("href").value_or("");
    if (QueryValue(href, row.PagingParam) == wanted) return true;
  }
  return false;
}

// The next page's form: in a NextForm block, the form whose paging input
// goes beyond the value sent; its hidden inputs as a form body.
std::optional<std::string> NextFormBody(const WebEngine& row, std::string_view page, int paging,
                                        int& nextPaging) {
  for (auto block = FindChain(page, row.NextForm, 0); block; block = FindChain(page, row.NextForm, block->end)) {
    const auto following = FindChain(page, row.NextForm, block->end);
    const size_t limit = following ? following->begin : npos;
    std::string body;
    int value = -1;
    for (auto input = FindChain(page, "input", block->end, limit); input;
         input = FindChain(page, "input", input->end, limit)) {
      if (!EqualsIgnoreCase(input->Attribute("type").value_or(""), "hidden")) continue;
      const std::string name = input->Attribute("name").value_or("");
      const std::string text = input->Attribute("value").value_or("");
      if (name.empty()) continue;
      if (name == row.PagingParam) value = ParseIntLoose(text);
      if (!body.empty()) body += '&';
      body += FormEncode(name) + "=" + FormEncode(text);
    }
    if (value > paging) {
      nextPaging = value;
      return body;
    }
  }
  return std::nullopt;
}

void ReadJson(const WebEngine& row, std::string_view body, WebPage& out) {
  nlohmann::json doc = nlohmann::json::parse(body, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return;
  auto results = doc.find(row.JsonResults);
  if (results == doc.end() || !results->is_array()) return;
  for (const nlohmann::json& item : *results) {
    if (!item.is_object()) continue;
    auto url = item.find(row.JsonUrl);
    if (url != item.end() && url->is_string()) TakeLink(row, url->get<std::string>(), out.links);
  }
  // An empty array is the last page, said plainly.
  out.kind = WebPage::Kind::Results;
  out.next = !out.links.empty();
}

}  // namespace

int NextPaging(const WebEngine& row, int paging) { return paging == 0 ? row.PagingFirst : paging + row.PagingStep; }

std::string UnwrapLink(const WebEngine& row, std::string_view link) {
  std::string out(link);
  std::optional<std::string_view> value;
  if (!row.UnwrapParam.empty()) value = QueryValue(link, row.UnwrapParam);
  if (value && (row.UnwrapPrefix.empty() || value->starts_with(row.UnwrapPrefix))) {
    std::string inner(value->substr(row.UnwrapPrefix.size()));
    UrlDecode(inner);
    if (!row.UnwrapPrefix.empty()) inner = Base64Decode(inner).value_or("");
    // A result of its own that merely has such a parameter stays as it is.
    if (StartsWithIgnoreCase(inner, "http://") || StartsWithIgnoreCase(inner, "https://")) out = std::move(inner);
  }
  if (out.starts_with("//")) out = "https:" + out;
  return out;
}

WebPage ReadWebPage(const WebEngine& row, int status, std::string_view body, int paging) {
  WebPage out;
  for (std::string_view code : CommaPieces(row.BlockStatuses)) {
    if (ParseIntLoose(TrimWhite(code)) != status) continue;
    out.kind = WebPage::Kind::Blocked;
    out.reason = "statut " + FormatInt(status);
    for (const auto& [s, reason] : row.statusReasons) {
      if (s == status) {
        out.reason = reason;
        out.reasonSaysAll = reason.find(' ') != std::string::npos;
      }
    }
    return out;
  }
  if (status < 200 || status > 299) {
    out.kind = WebPage::Kind::Failed;
    return out;
  }
  if (row.Format == "json") {
    ReadJson(row, body, out);
  } else {
    ReadHtmlResults(row, body, out.links);
    if (!out.links.empty()) {
      out.kind = WebPage::Kind::Results;
      if (!row.NextForm.empty()) {
        std::optional<std::string> form = NextFormBody(row, body, paging, out.nextPaging);
        out.next = form.has_value();
        out.nextBody = form.value_or("");
      } else {
        out.next = HasNextLink(row, body, paging);
      }
    }
  }
  if (out.next && row.NextForm.empty()) out.nextPaging = NextPaging(row, paging);
  // A 2xx with nothing read is no "no hits": a block page, or markup this
  // row no longer reads.
  if (out.kind == WebPage::Kind::Unknown && HoldsAny(body, row.BlockMarkers, out.reason)) {
    out.kind = WebPage::Kind::Blocked;
    out.reason = row.BlockReason;
  }
  return out;
}

}  // namespace orvi
