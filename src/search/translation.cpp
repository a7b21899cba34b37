#include "search/translation.h"

#include "net/fetch_page.h"

namespace orvi {
namespace {

constexpr char kLanguagePair[] = "fr_en";
constexpr char kNoAnswer[] = "Le service de traduction ne r\xE9pond pas";
constexpr char kFailed[] = "Echec de la traduction";

}  // namespace

std::string EncodeForTranslation(std::string_view input) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(input.size() * 3);
  for (char c : input) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= '.' && b <= 'z') {
      out += c;
    } else if (b < 0x80) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += static_cast<char>(0xC3);
      out += static_cast<char>(b - 0x40);
    }
  }
  return out;
}

std::string TranslationPath(std::string_view languagePair, std::string_view input) {
  std::string lowered(input.substr(0, kTranslateInputChars));
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return "/translate.dyn?doit=done&lp=" + std::string(languagePair) + "&urltext=" + EncodeForTranslation(lowered);
}

std::optional<std::string> ReadTranslation(std::string_view page) {
  const size_t area = page.find("textarea");
  if (area == std::string_view::npos) return std::nullopt;
  const size_t open = page.find('>', area);
  if (open == std::string_view::npos) return std::nullopt;
  const size_t close = page.find("</text", open);
  if (close == std::string_view::npos) return std::nullopt;
  std::string_view text = page.substr(open + 1, close - open - 1);
  if (size_t lf = text.find('\n'); lf != std::string_view::npos) text = text.substr(0, lf);
  return std::string(text);
}

Translation TranslateInput(Context& ctx, std::string_view input) {
  const std::string url = ctx.engines.TranslateUrl + TranslationPath(kLanguagePair, input);
  std::optional<std::string> page;
  for (int attempt = 0; attempt < kTranslateAttempts && !page; ++attempt) {
    FetchError label = FetchError::None;
    page = FetchPage(ctx, url, label, true, kTranslateTimeoutSeconds, "");
  }
  if (!page) return {TranslationOutcome::NoAnswer, {}};
  std::optional<std::string> text = ReadTranslation(*page);
  if (!text) return {TranslationOutcome::NoTextArea, {}};
  return {TranslationOutcome::Translated, std::move(*text)};
}

MessageSpec TranslationFailureBox(TranslationOutcome outcome) {
  if (outcome == TranslationOutcome::NoAnswer) return {kNoAnswer, "ORVI", MsgIcon::Error, MsgButtons::Ok};
  return {kFailed, "ORVI", MsgIcon::Warning, MsgButtons::Ok};
}

}  // namespace orvi
