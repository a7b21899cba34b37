#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"

namespace orvi {

// "Traduire en anglais": the first input sent to the translation service
// (TranslateUrl of [Engines]) and the English text read back from the first
// text area of its answer.

inline constexpr size_t kTranslateInputChars = 149;
inline constexpr int kTranslateTimeoutSeconds = 15;
inline constexpr int kTranslateAttempts = 2;

// Bytes "." to "z" stay, other bytes below 128 become %XX (upper-case hex),
// bytes of 128 and more become 0xC3 and the byte less 0x40, raw: the UTF-8
// form of the Latin-1 letters the service expects.
std::string EncodeForTranslation(std::string_view input);

// The request path for a language pair and an input as typed (at most 149
// characters are read, letters A to Z lowered).
std::string TranslationPath(std::string_view languagePair, std::string_view input);

// The text of the first text area of a page: after "textarea", after its
// ">", up to "</text", and within that up to the first line feed. Nothing
// when one of the three marks is missing. Character references stay as sent.
std::optional<std::string> ReadTranslation(std::string_view page);

enum class TranslationOutcome {
  Translated,  // text holds the translation
  NoAnswer,    // both attempts failed: "Le service de traduction ne répond pas"
  NoTextArea,  // the answer holds no text area: "Echec de la traduction"
};

struct Translation {
  TranslationOutcome outcome = TranslationOutcome::NoAnswer;
  std::string text;
};

// One blocking request (a second when the first fails), French to English.
Translation TranslateInput(Context& ctx, std::string_view input);

// The message box of a failed translation (caption "ORVI", OK).
MessageSpec TranslationFailureBox(TranslationOutcome outcome);

}  // namespace orvi
