#pragma once

#include <string>
#include <string_view>

namespace orvi {

// RFC 4648 standard alphabet, "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);

}  // namespace orvi
