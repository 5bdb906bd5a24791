// Texts, byte buffers and the small operations on them that the show's loading and the stage share.
//
// A text is a byte string in the show's ANSI code page (GBK for our shows); it is never converted here and
// is decoded only where it is shown. An absent text and the empty text are the same value: everything that
// hands a text on treats an absent one as empty, so one representation serves both.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace heartstage {

using Text = std::string;
using ByteBuffer = std::vector<std::uint8_t>;

// The line delimiter of the show's text files.
inline constexpr std::string_view kCrLf = "\r\n";

// The bytes up to, not including, the first zero byte (all of them when there is none).
Text BytesToText(const ByteBuffer& bytes);

// Splits at every occurrence of a non-empty delimiter, stepping over GBK double-byte characters so that a
// trail byte equal to a delimiter byte never splits. A delimiter at the very end adds no empty piece.
std::vector<Text> SplitText(std::string_view text, std::string_view delimiter);

// The number of pieces SplitText gives at CR LF.
std::int32_t CountLines(std::string_view text);

// The texts one after the other.
Text JoinTexts(std::initializer_list<std::string_view> texts);

// Folds GBK full-width digits, signs and letters to ASCII, then reads a decimal integer the way C's atoi
// does, wrapping in 32 bits on overflow. No digits give 0; "0xFF" gives 0.
std::int32_t TextToInt(std::string_view text);

// A real number as text with up to 13 significant digits, no trailing zeros and no trailing decimal point.
Text NumberToText(double value);

// The whole content of a regular file. Anything that is not a readable regular file (missing, a directory,
// a FIFO, a device, a symlink loop, no permission) gives an empty buffer at once, never blocking. A file that
// shrinks while it is read gives the bytes read.
ByteBuffer ReadAssetFile(const std::string& path);

}  // namespace heartstage
