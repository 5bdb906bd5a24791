// How the checker tells what a show's text file was saved as, and how --fix rewrites it as the show reads
// texts: GBK with CR LF line ends.
//
// Editors save in UTF-8 today, sometimes UTF-16 or with a byte-order mark, and often with LF line ends; the
// show reads bytes as GBK and breaks lines at CR LF only, so each of these silently gives a wrong show.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "show/text.h"

namespace heartstage::checker {

enum class TextEncoding {
  Empty,
  Ascii,              // plain ASCII: GBK as it is
  Gbk,                // GBK (or GB18030, which the show reads too)
  Utf8,               // UTF-8 without a byte-order mark
  Utf8WithBom,        // UTF-8 starting with EF BB BF
  Utf16LittleEndian,  // with or without the byte-order mark FF FE
  Utf16BigEndian,     // with or without the byte-order mark FE FF
  Unknown,  // bytes that are neither GBK nor UTF-8 (an old Western code page, say, or no text at all)
};

// Looks at every byte. UTF-8 and GBK overlap: Chinese in UTF-8 is made of byte pairs that GBK accepts, and a
// few GBK characters in a row can form valid UTF-8 by chance. So a file that is valid as both is read both
// ways, and the reading whose characters are the more plausible for a show wins; a tie goes to GBK, the
// show's own code page.
TextEncoding ClassifyTextEncoding(std::string_view bytes);

// True for the encodings that the show does not read as they are meant.
bool NeedsConversion(TextEncoding encoding);

// Where the first zero byte is (the show's text ends there), or npos. Not asked of UTF-16, where zero bytes
// are half of every ASCII character.
std::size_t FirstZeroByte(std::string_view bytes);

enum class LineEnds {
  None,    // a single line
  CrLf,    // every line ends with CR LF, as the show wants
  LfOnly,  // LF alone, as Linux and macOS editors save
  CrOnly,  // CR alone, as old Mac editors saved
  Mixed,   // some CR LF, some not
};

// The line ends of a GBK, ASCII or UTF-8 text. In all three a CR or LF byte is always the character itself,
// never part of a double-byte character.
LineEnds ClassifyLineEnds(std::string_view text);

// The file rewritten as GBK with CR LF line ends (characters that GBK lacks, such as emoji, in the four-byte
// form of GB18030, which the show reads), from what it was saved as. Nothing when `encoding` is Unknown: its
// characters cannot be told.
std::optional<Text> ConvertToShowText(std::string_view bytes, TextEncoding encoding);

// "UTF-8", "UTF-16 (little-endian)", ...: for the report.
std::string_view DescribeEncoding(TextEncoding encoding);
std::string_view DescribeLineEnds(LineEnds line_ends);

}  // namespace heartstage::checker
