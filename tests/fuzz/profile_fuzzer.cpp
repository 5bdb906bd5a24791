// Fuzzes ReadProfileValue. Input: section, key and default separated by zero bytes, then the content
// (which may hold zero bytes of its own); missing fields are empty.
//
// Each lookup runs twice, with the default and with a byte put before it. Whatever the content:
// - nothing crashes, and no result is longer than the value buffer's 10239 bytes;
// - both runs give the same value (the setting was found), or each gives its own default with trailing
//   blanks trimmed and cut to the buffer;
// - the result is what a reference reader written here gives. The reference first cuts each line into GBK
//   characters (a lead byte takes the next byte of its line; a lead byte ending a line stands alone) and then
//   applies the profile rules to whole characters, so a byte of a double-byte character can never be taken
//   for syntax by construction; where it finds the setting, the value holds no line end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "show/profile.h"

namespace heartstage::fuzz {
namespace {

// A character is kept as the bytes it spans; single-byte ones are compared as bytes, which keeps the
// reference cheap enough for the fuzzer's pace.
struct Character {
  std::string_view bytes;
  bool Is(char byte) const { return bytes.size() == 1 && bytes[0] == byte; }
  bool IsBlank() const { return Is(' ') || Is('\t'); }
};
using Characters = std::span<const Character>;

void CutIntoCharacters(std::string_view text, std::vector<Character>& characters) {
  characters.clear();
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t width = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
    characters.push_back({text.substr(i, width)});
    i += width;
  }
}

Characters TrimTrailing(Characters characters) {
  while (!characters.empty() && characters.back().IsBlank())
    characters = characters.first(characters.size() - 1);
  return characters;
}

Characters Trim(Characters characters) {
  characters = TrimTrailing(characters);
  while (!characters.empty() && characters.front().IsBlank()) characters = characters.subspan(1);
  return characters;
}

std::string Join(Characters characters) {
  std::string joined;
  for (const Character& character : characters) joined.append(character.bytes);
  return joined;
}

std::optional<std::size_t> FindFirst(Characters characters, char wanted) {
  for (std::size_t i = 0; i < characters.size(); ++i) {
    if (characters[i].Is(wanted)) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> FindLast(Characters characters, char wanted) {
  for (std::size_t i = characters.size(); i > 0; --i) {
    if (characters[i - 1].Is(wanted)) return i - 1;
  }
  return std::nullopt;
}

char Lower(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// Single-byte characters of the name found in the file match in either ASCII case; double-byte ones only
// byte for byte.
bool NameMatches(Characters found, std::string_view wanted) {
  std::size_t offset = 0;
  for (const Character& character : found) {
    if (offset + character.bytes.size() > wanted.size()) return false;
    if (character.bytes.size() == 2) {
      if (character.bytes[0] != wanted[offset] || character.bytes[1] != wanted[offset + 1]) return false;
    } else if (Lower(character.bytes[0]) != Lower(wanted[offset])) {
      return false;
    }
    offset += character.bytes.size();
  }
  return offset == wanted.size();
}

std::string FitBuffer(Characters characters) {
  std::string fitted;
  for (const Character& character : characters) {
    if (fitted.size() + character.bytes.size() > kProfileValueBufferSize - 1) break;
    fitted.append(character.bytes);
  }
  return fitted;
}

// Kept between inputs: a fresh buffer for every long line would make page faults, not the reader, the cost
// of each run.
std::vector<Character>& CharacterBuffer() {
  static std::vector<Character> characters;
  return characters;
}

std::string ExpectedDefault(std::string_view default_value) {
  std::vector<Character>& characters = CharacterBuffer();
  CutIntoCharacters(default_value, characters);
  return FitBuffer(TrimTrailing(characters));
}

struct Lookup {
  std::string value;
  bool found = false;
};

std::optional<std::string> ValueOfLine(Characters line, std::string_view wanted_key) {
  const std::optional<std::size_t> equals = FindFirst(line, '=');
  if (!NameMatches(Trim(equals ? line.first(*equals) : line), wanted_key)) return std::nullopt;
  if (!equals) return std::string();
  Characters value = Trim(line.subspan(*equals + 1));
  if (value.size() >= 2 && (value.front().Is('"') || value.front().Is('\'')) &&
      value.back().Is(value.front().bytes[0])) {
    value = value.subspan(1, value.size() - 2);
  }
  return FitBuffer(value);
}

Lookup ReferenceLookup(std::string_view content, std::string_view section, std::string_view key,
                       std::string_view default_value) {
  std::vector<Character>& characters = CharacterBuffer();
  CutIntoCharacters(section, characters);
  const std::string wanted_section = Join(Trim(characters));
  CutIntoCharacters(key, characters);
  const std::string wanted_key = Join(Trim(characters));

  bool inside_wanted_section = false;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i <= content.size(); ++i) {
    if (i < content.size() && content[i] != '\r' && content[i] != '\n') continue;
    CutIntoCharacters(content.substr(line_start, i - line_start), characters);
    line_start = i + 1;
    const Characters line = Trim(characters);
    if (line.empty()) continue;
    if (line.front().Is('[')) {
      if (inside_wanted_section) break;
      const Characters inside = line.subspan(1);
      const std::optional<std::size_t> close = FindLast(inside, ']');
      inside_wanted_section = NameMatches(Trim(close ? inside.first(*close) : inside), wanted_section);
      continue;
    }
    if (!inside_wanted_section) continue;
    if (std::optional<std::string> value = ValueOfLine(line, wanted_key)) return {std::move(*value), true};
  }
  return {ExpectedDefault(default_value), false};
}

}  // namespace
}  // namespace heartstage::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace heartstage;
  using fuzz::Require;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view fields[3];
  for (std::string_view& field : fields) {
    const std::size_t end = rest.find('\0');
    field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  const auto [section, key, default_value] = fields;
  const std::string_view content = rest;
  const std::string other_default = "\x01" + std::string(default_value);

  const Text result = ReadProfileValue(content, section, key, default_value);
  const Text other_result = ReadProfileValue(content, section, key, other_default);
  constexpr std::size_t kLimit = kProfileValueBufferSize - 1;
  Require(result.size() <= kLimit && other_result.size() <= kLimit, "a value fits the value buffer");
  const std::string expected_default = fuzz::ExpectedDefault(default_value);
  const std::string expected_other_default = fuzz::ExpectedDefault(other_default);
  Require(result == other_result || (result == expected_default && other_result == expected_other_default),
          "the value found, or the default with trailing blanks trimmed");

  const fuzz::Lookup reference = fuzz::ReferenceLookup(content, section, key, default_value);
  Require(result == reference.value, "ReadProfileValue agrees with the reference reader");
  if (reference.found) {
    Require(other_result == reference.value, "a value found does not depend on the default");
    Require(result.find_first_of("\r\n") == Text::npos, "a value holds no line end");
  } else {
    Require(other_result == expected_other_default, "a missing setting gives the default");
  }
  return 0;
}
