// A server's answer, as the page client meets it: read in pieces of the
// sizes the first byte picks, watched for its framing, then interpreted.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64;
  std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);
  orvi::ResponseFraming framing;
  size_t received = 0;
  while (received < answer.size()) {
    received = std::min(answer.size(), received + piece);
    if (framing.Complete(answer.substr(0, received))) break;
  }
  std::string text(answer.substr(0, received));
  for (orvi::FetchError label : {orvi::FetchError::None, orvi::FetchError::Timeout}) {
    orvi::FetchOutcome out = orvi::InterpretResponse(text, label);
    // Text comes back only for a page or a redirection, never longer than received.
    if (out.text && out.label != orvi::FetchError::None && out.label != orvi::FetchError::Redirect) {
      __builtin_trap();
    }
    if (out.text && out.text->size() > text.size()) __builtin_trap();
  }
  orvi::DecodeChunkedBody(answer);
  return 0;
}
