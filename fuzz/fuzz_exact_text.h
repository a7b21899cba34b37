#pragma once

#include <cstring>
#include <memory>
#include <string_view>

// A copy of a text in a heap block of exactly its size, with no terminator:
// any read past its end is caught by AddressSanitizer, where a std::string
// would hide one byte of it.
class ExactText {
 public:
  explicit ExactText(std::string_view text) : size_(text.size()), bytes_(new char[text.size()]) {
    if (size_ != 0) std::memcpy(bytes_.get(), text.data(), size_);
  }
  std::string_view view() const { return {bytes_.get(), size_}; }

 private:
  size_t size_;
  std::unique_ptr<char[]> bytes_;
};
