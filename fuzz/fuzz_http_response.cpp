// A server's answer, as the page client meets it: read in pieces of the
// sizes the first byte picks, watched by the stop rule of a page read up to
// "</body>", then interpreted.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/url_text.h"
#include "net/http_exchange.h"
#include "net/http_request.h"
#include "net/http_response.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 64;
  std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);
  const orvi::ReceiveRules rules{.endMarkers = {"</body>", "</BODY>"}, .endAtFraming = true};
  orvi::AnswerEnd end(rules);
  size_t received = 0;
  while (received < answer.size()) {
    size_t before = received;
    received = std::min(answer.size(), received + piece);
    if (end.Reached(answer.substr(0, received), before)) break;
  }
  // A marker is seen wherever the pieces cut it: the reading never goes past
  // the piece that completed one.
  size_t first = std::min(answer.find("</body>"), answer.find("</BODY>"));
  if (first != std::string_view::npos && received > first + 7 + piece - 1) __builtin_trap();
  std::string text(answer.substr(0, received));
  for (orvi::FetchError label : {orvi::FetchError::None, orvi::FetchError::Timeout}) {
    orvi::FetchOutcome out = orvi::InterpretResponse(text, label);
    // Text comes back only for a page or a redirection, never longer than received.
    if (out.text && out.label != orvi::FetchError::None && out.label != orvi::FetchError::Redirect) {
      __builtin_trap();
    }
    if (out.text && out.text->size() > text.size()) __builtin_trap();
  }
  // Only an HTTP reply has a status: anything else never comes back as text.
  if (!orvi::IsHttpResponse(text) && orvi::InterpretResponse(text, orvi::FetchError::None).text) {
    __builtin_trap();
  }
  // The fields a probe reads: a value lies inside the text, and a size read
  // from it is never negative.
  for (std::string_view name : {"Content-Length", "Last-Modified", "Location"}) {
    std::optional<std::string_view> value = orvi::HeaderField(text, name);
    if (!value) continue;
    if (value->data() < text.data() || value->data() + value->size() > text.data() + text.size()) {
      __builtin_trap();
    }
    if (std::optional<int64_t> bytes = orvi::ParseSize(*value); bytes && *bytes < 0) __builtin_trap();
  }
  // A Location followed: whatever bytes the server wrote there, the request
  // line is one line of printable ASCII with its two spaces.
  if (std::optional<std::string_view> location = orvi::HeaderField(text, "Location")) {
    std::string next = orvi::ResolveLocation("http://host/dir/file.zip", *location);
    std::string host, request;
    if (orvi::BuildGetRequest(orvi::GlobalSettings{}, next, host, request, "")) {
      std::string_view line = std::string_view(request).substr(0, request.find("\r\n"));
      size_t spaces = 0;
      for (unsigned char c : line) {
        if (c == ' ') ++spaces;
        else if (c < 0x21 || c > 0x7E) __builtin_trap();
      }
      if (spaces != 2) __builtin_trap();
    }
  }
  orvi::DecodeChunkedBody(answer);
  return 0;
}
