// Fuzzes BytesToText and CountLines the way the show reads its text files: the whole input is a file's
// bytes. The text must be the bytes before the first zero byte: a prefix of them, holding no zero byte, and
// either all of them or followed by a zero byte. CountLines must count what SplitText gives at CR LF: none
// for the empty text, otherwise at least one and at most one more than the CR LF pairs in the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "show/text.h"

namespace {

std::size_t CountCrLfPairs(std::string_view text) {
  std::size_t pairs = 0;
  for (std::size_t at = text.find(heartstage::kCrLf); at != std::string_view::npos;
       at = text.find(heartstage::kCrLf, at + 2)) {
    ++pairs;
  }
  return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace heartstage;
  using fuzz::Require;
  const ByteBuffer bytes(data, data + size);

  const Text text = BytesToText(bytes);
  Require(text.size() <= bytes.size(), "the text is no longer than the bytes");
  Require(std::equal(text.begin(), text.end(), bytes.begin(),
                     [](char left, std::uint8_t right) { return static_cast<std::uint8_t>(left) == right; }),
          "the text is a prefix of the bytes");
  Require(text.find('\0') == Text::npos, "the text holds no zero byte");
  Require(text.size() == bytes.size() || bytes[text.size()] == 0, "the text stops only at a zero byte");

  const std::int32_t lines = CountLines(text);
  Require(lines == static_cast<std::int32_t>(SplitText(text, kCrLf).size()),
          "CountLines counts SplitText's pieces at CR LF");
  if (text.empty()) {
    Require(lines == 0, "the empty text has no lines");
  } else {
    Require(lines >= 1, "a non-empty text has a line");
    Require(static_cast<std::size_t>(lines) <= CountCrLfPairs(text) + 1,
            "no more lines than CR LF pairs and one");
  }
  return 0;
}
