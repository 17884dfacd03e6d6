// SPDX-License-Identifier: MIT
// Arbitrary bytes give one character per step (one byte below 0x80, else two, one when last),
// ASCII unchanged, and the same text on every path.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/euc_jp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::u16string> texts = lotwarden::DecodeEucJpOnEveryPath(bytes);
  const std::u16string& text = texts.front();  // what DecodeEucJp gives
  for (const std::u16string& other : texts)
    if (other != text) std::abort();
  std::size_t steps = 0;
  for (std::size_t i = 0; i < size; i += data[i] < 0x80 ? 1 : 2)
    ++steps;
  if (text.size() != steps) std::abort();
  // ASCII steps come through unchanged.
  std::size_t k = 0;
  for (std::size_t i = 0; i < size; ++k) {
    if (data[i] < 0x80) {
      if (text[k] != data[i]) std::abort();
      i += 1;
    } else {
      i += 2;
    }
  }
  return 0;
}
