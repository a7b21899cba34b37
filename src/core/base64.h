#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvi {

// RFC 4648 standard alphabet, "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);
// The reverse, in either alphabet (standard or RFC 4648's URL one, as links
// carry it), padding optional; nothing for any other character.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace orvi
