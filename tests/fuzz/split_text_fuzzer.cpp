// Fuzzes SplitText and CountLines. Input: one byte whose value modulo 4 is the length of a delimiter, that
// many delimiter bytes, then the text. The text is split at that delimiter, at CR LF and at "|".
//
// The pieces must rebuild the text exactly: each piece stands at its place, a delimiter follows every piece
// but the last, and the last piece either reaches the end of the text (then it is not empty) or is followed
// by one final delimiter that ends the text. Walking each piece GBK character by character from its start, no
// position may hold the delimiter and the walk must land on the piece's end, or a piece would have split a
// double-byte character or missed a delimiter. Together these allow exactly one list of pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "show/text.h"

namespace heartstage::fuzz {
namespace {

constexpr bool IsLeadByte(char byte) {
  return static_cast<unsigned char>(byte) >= 0x80;
}

// A lead byte takes the byte after it, except the text's last byte, which is a character of its own.
std::size_t CharacterWidth(std::string_view text, std::size_t position) {
  return IsLeadByte(text[position]) && position + 1 < text.size() ? 2 : 1;
}

// Byte by byte rather than with memcmp, whose interception would feed the targets' own comparisons to the
// fuzzer as if the code under test had made them.
bool DelimiterAt(std::string_view text, std::size_t position, std::string_view delimiter) {
  if (text.size() - position < delimiter.size()) return false;
  for (std::size_t i = 0; i < delimiter.size(); ++i) {
    if (text[position + i] != delimiter[i]) return false;
  }
  return true;
}

void CheckPieces(std::string_view text, std::string_view delimiter, const std::vector<Text>& pieces) {
  if (text.empty()) {
    Require(pieces.empty(), "the empty text has no pieces");
    return;
  }
  Require(!pieces.empty(), "a non-empty text has at least one piece");
  if (delimiter.empty()) {
    Require(pieces.size() == 1 && pieces.front() == text, "an empty delimiter keeps the text whole");
    return;
  }

  Text joined;
  std::size_t offset = 0;
  for (std::size_t index = 0; index < pieces.size(); ++index) {
    const std::string_view piece = pieces[index];
    const bool last = index + 1 == pieces.size();
    Require(text.substr(offset, piece.size()) == piece, "each piece stands at its place in the text");
    const std::size_t end = offset + piece.size();

    std::size_t position = offset;
    while (position < end) {
      Require(!DelimiterAt(text, position, delimiter), "no piece holds the delimiter at a character start");
      position += CharacterWidth(text, position);
    }
    Require(position == end, "no piece ends inside a double-byte character");

    if (index > 0) joined.append(delimiter);
    joined.append(piece);
    if (last && end == text.size()) {
      Require(!piece.empty(), "a last piece that reaches the end of the text is not empty");
      Require(joined == text, "the pieces joined by the delimiter give the text");
      return;
    }
    Require(end < text.size() && DelimiterAt(text, end, delimiter), "a delimiter follows the piece");
    offset = end + delimiter.size();
  }
  Require(offset == text.size(), "only a final delimiter follows the last piece");
  Require(Text(joined).append(delimiter) == text,
          "the pieces joined by the delimiter give the text minus one final delimiter");
}

}  // namespace
}  // namespace heartstage::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace heartstage;
  using fuzz::Require;
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t delimiter_length =
      std::min<std::size_t>(static_cast<unsigned char>(input[0]) % 4, size - 1);
  const std::string_view delimiter = input.substr(1, delimiter_length);
  const std::string_view text = input.substr(1 + delimiter_length);

  fuzz::CheckPieces(text, delimiter, SplitText(text, delimiter));
  fuzz::CheckPieces(text, "|", SplitText(text, "|"));
  const std::vector<Text> lines = SplitText(text, kCrLf);
  fuzz::CheckPieces(text, kCrLf, lines);
  Require(CountLines(text) == static_cast<std::int32_t>(lines.size()),
          "CountLines counts SplitText's pieces at CR LF");

  const std::size_t cut = delimiter_length == 0 ? text.size() / 2 : text.size() * delimiter_length / 4;
  Require(JoinTexts({text.substr(0, cut), text.substr(cut)}) == text,
          "JoinTexts of a text's two halves gives the text");
  return 0;
}
