// The system's value types.
//
// Text: a byte string in code page 936. Lengths and positions count bytes; positions
//   are 1-based and a search that finds nothing gives -1. Every byte of 0x80 or above
//   starts a two-byte character. A Text holds no zero byte; the empty string is both
//   "absent" and "empty".
// ByteBuffer: a counted byte sequence that may hold zero bytes (bodies, UTF-16, UTF-8).
// TextArray: texts indexed from 1 to Count(); any other index is a fatal error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorel {

using Text = std::string;
using ByteBuffer = std::vector<std::uint8_t>;

class TextArray {
 public:
  TextArray() = default;

  int Count() const { return static_cast<int>(members_.size()); }
  void Append(Text value) { members_.push_back(std::move(value)); }

  // Member `index`, 1 .. Count(); outside that range the program stops (FatalError).
  const Text& operator[](int index) const;
  Text& operator[](int index);

  std::vector<Text>::const_iterator begin() const { return members_.begin(); }
  std::vector<Text>::const_iterator end() const { return members_.end(); }

 private:
  std::vector<Text> members_;
};

}  // namespace vorel
