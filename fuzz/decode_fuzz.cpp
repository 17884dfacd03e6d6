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
  // One character a step, ASCII steps unchanged.
  std::size_t k = 0;
  for (std::size_t i = 0; i < size; i += data[i] < 0x80 ? 1 : 2, ++k) {
    if (k == text.size() || (data[i] < 0x80 && text[k] != data[i])) std::abort();
  }
  if (k != text.size()) std::abort();
  return 0;
}
