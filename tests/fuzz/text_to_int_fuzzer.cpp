// Fuzzes TextToInt (and NumberToText on its result) against references written here, apart from show/:
//
// - any bytes: a reader that first cuts the text into GBK characters and folds each to the ASCII byte it
//   stands for, then reads like atoi with 32-bit wrap-around;
// - ASCII bytes: the C library's strtoll, wherever its result is not clamped;
// - the same ASCII text with each character chosen by its input byte's high bit to be written in full width
//   (GBK 0xA3 0xA1..0xFE, the ideographic space 0xA1 0xA1) must read as the ASCII text does;
// - NumberToText of the result writes it as std::to_string does, since 32-bit integers need no exponent.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "show/text.h"

namespace heartstage::fuzz {
namespace {

constexpr std::uint64_t kTwoTo32 = std::uint64_t{1} << 32;

// The ASCII byte a GBK character reads as. Only white space, signs and digits matter to the reader, so every
// double-byte character outside the full-width block and the ideographic space reads as a plain letter.
char FoldedCharacter(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
  if (lead == 0xA1 && trail == 0xA1) return ' ';
  return 'x';
}

std::string FoldToAscii(std::string_view text) {
  std::string folded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      folded.push_back(text[i]);
    } else if (i + 1 < text.size()) {
      folded.push_back(FoldedCharacter(byte, static_cast<unsigned char>(text[i + 1])));
      ++i;
    } else {
      // A lead byte without its trail byte reads as no digit; it is the last byte anyway.
      folded.push_back('x');
    }
  }
  return folded;
}

std::int32_t ReferenceTextToInt(std::string_view text) {
  const std::string folded = FoldToAscii(text);
  const std::size_t first = folded.find_first_not_of(std::string_view(" \t\r\n\v\f"));
  if (first == std::string::npos) return 0;
  std::size_t i = first;
  const bool negative = folded[i] == '-';
  if (folded[i] == '-' || folded[i] == '+') ++i;
  std::uint64_t value = 0;  // kept below 2^32, the value modulo 2^32
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
    value = (value * 10 + static_cast<std::uint64_t>(folded[i] - '0')) % kTwoTo32;
  }
  if (negative) value = (kTwoTo32 - value) % kTwoTo32;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void CheckAgainstStrtoll(const std::string& ascii, std::int32_t result) {
  // strtoll stops at the first zero byte, as TextToInt does, since a zero byte is neither blank nor digit.
  errno = 0;
  const long long value = std::strtoll(ascii.c_str(), nullptr, 10);
  if (errno == ERANGE) return;
  const auto wrapped =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<unsigned long long>(value)));
  Require(result == wrapped, "TextToInt of ASCII reads as strtoll wrapped to 32 bits");
}

}  // namespace
}  // namespace heartstage::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace heartstage;
  using fuzz::Require;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::int32_t result = TextToInt(text);
  Require(result == fuzz::ReferenceTextToInt(text), "TextToInt agrees with the folding reference reader");
  Require(NumberToText(result) == std::to_string(result), "NumberToText writes a 32-bit integer plainly");

  std::string ascii;
  std::string widened;
  bool all_ascii = true;
  for (const char byte : text) {
    const auto value = static_cast<unsigned char>(byte);
    const char low = static_cast<char>(value & 0x7F);
    all_ascii = all_ascii && value < 0x80;
    ascii.push_back(low);
    if (value < 0x80) {
      widened.push_back(low);
    } else if (low == ' ') {
      widened.append("\xA1\xA1");
    } else if (low >= 0x21 && low <= 0x7E) {
      widened.push_back('\xA3');
      widened.push_back(static_cast<char>(low + 0x80));
    } else {
      widened.push_back(low);
    }
  }
  const std::int32_t ascii_result = TextToInt(ascii);
  fuzz::CheckAgainstStrtoll(ascii, ascii_result);
  if (all_ascii) Require(ascii_result == result, "masking leaves an ASCII text unchanged");
  Require(TextToInt(widened) == ascii_result, "full-width forms read as their ASCII counterparts");
  return 0;
}
