#include "show/profile.h"

#include <cstddef>

namespace heartstage {

namespace {

constexpr std::string_view kLineEndBytes = "\r\n";

constexpr bool IsLeadByte(char byte) {
  return static_cast<unsigned char>(byte) >= 0x80;
}
constexpr bool IsBlank(char byte) {
  return byte == ' ' || byte == '\t';
}

constexpr char AsciiLower(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}

// The byte length of the character starting at `position`. A lead byte at the very end stands alone.
std::size_t CharacterWidth(std::string_view text, std::size_t position) {
  return IsLeadByte(text[position]) && position + 1 < text.size() ? 2 : 1;
}

// Every helper below walks character by character from the start, because only from there can a trail
// byte be told apart from a single-byte character of the same value.
std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = text.size();
  std::size_t end = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t width = CharacterWidth(text, i);
    if (width == 2 || !IsBlank(text[i])) {
      if (begin == text.size()) begin = i;
      end = i + width;
    }
    i += width;
  }
  return begin < end ? text.substr(begin, end - begin) : std::string_view{};
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t width = CharacterWidth(text, i);
    if (width == 2 || !IsBlank(text[i])) end = i + width;
    i += width;
  }
  return text.substr(0, end);
}

std::size_t FindFirstSingleByte(std::string_view text, char wanted) {
  for (std::size_t i = 0; i < text.size(); i += CharacterWidth(text, i)) {
    if (text[i] == wanted) return i;
  }
  return std::string_view::npos;
}

std::size_t FindLastSingleByte(std::string_view text, char wanted) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += CharacterWidth(text, i)) {
    if (text[i] == wanted) found = i;
  }
  return found;
}

bool EndsWithSingleByte(std::string_view text, char wanted) {
  return !text.empty() && FindLastSingleByte(text, wanted) == text.size() - 1;
}

// ASCII letters match either case; a trail byte that happens to be a letter is part of its character and
// must match exactly, or two different GBK characters would be taken for the same name.
bool NamesMatch(std::string_view found, std::string_view wanted) {
  if (found.size() != wanted.size()) return false;
  for (std::size_t i = 0; i < found.size();) {
    const std::size_t width = CharacterWidth(found, i);
    if (width == 2) {
      if (found.compare(i, 2, wanted, i, 2) != 0) return false;
    } else if (AsciiLower(found[i]) != AsciiLower(wanted[i])) {
      return false;
    }
    i += width;
  }
  return true;
}

// `header` starts with '['; the name runs to the last ']' so that names holding ']' still work.
std::string_view SectionName(std::string_view header) {
  const std::string_view inside = header.substr(1);
  return TrimBlanks(inside.substr(0, FindLastSingleByte(inside, ']')));
}

std::string_view StripEnclosingQuotes(std::string_view value) {
  if (value.size() < 2) return value;
  const char quote = value.front();
  if ((quote == '"' || quote == '\'') && EndsWithSingleByte(value, quote)) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// What fits the caller's buffer; a double-byte character is never cut in half.
std::string_view FitValueBuffer(std::string_view value) {
  constexpr std::size_t kLimit = kProfileValueBufferSize - 1;
  if (value.size() <= kLimit) return value;
  std::size_t end = 0;
  while (end < kLimit) {
    const std::size_t width = CharacterWidth(value, end);
    if (end + width > kLimit) break;
    end += width;
  }
  return value.substr(0, end);
}

}  // namespace

Text ReadProfileValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view default_value) {
  const std::string_view wanted_section = TrimBlanks(section);
  const std::string_view wanted_key = TrimBlanks(key);
  bool inside_wanted_section = false;

  std::size_t line_start = content.find_first_not_of(kLineEndBytes);
  while (line_start != std::string_view::npos) {
    std::size_t line_end = content.find_first_of(kLineEndBytes, line_start);
    if (line_end == std::string_view::npos) line_end = content.size();
    const std::string_view line = TrimBlanks(content.substr(line_start, line_end - line_start));
    line_start = content.find_first_not_of(kLineEndBytes, line_end);

    if (line.empty()) continue;
    if (line.front() == '[') {
      // Only the first section of the name counts, so the search ends with it.
      if (inside_wanted_section) break;
      inside_wanted_section = NamesMatch(SectionName(line), wanted_section);
      continue;
    }
    if (!inside_wanted_section) continue;

    const std::size_t equals = FindFirstSingleByte(line, '=');
    if (!NamesMatch(TrimBlanks(line.substr(0, equals)), wanted_key)) continue;
    if (equals == std::string_view::npos) return Text{};
    return Text(FitValueBuffer(StripEnclosingQuotes(TrimBlanks(line.substr(equals + 1)))));
  }
  return Text(FitValueBuffer(TrimTrailingBlanks(default_value)));
}

Text ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view default_value) {
  const ByteBuffer bytes = ReadAssetFile(path);
  const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return ReadProfileValue(content, section, key, default_value);
}

}  // namespace heartstage
