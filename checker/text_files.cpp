#include "checker/text_files.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace heartstage::checker {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianBom = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianBom = "\xFE\xFF";

std::uint8_t Byte(std::string_view bytes, std::size_t index) {
  return static_cast<std::uint8_t>(bytes[index]);
}

// Characters a show's text is made of: Chinese and its punctuation, full-width forms, Western letters and
// punctuation, hearts, stars and emoji. What a run of GBK bytes turns into when it happens to be valid
// UTF-8 lies elsewhere: Greek, Cyrillic, Hebrew, IPA, the rare ideographs of extension A, private use.
bool PlausibleInShow(char32_t c) {
  if (c < 0x80) return c >= 0x20 || c == '\t' || c == '\r' || c == '\n';
  return (c >= 0x00A0 && c <= 0x00FF) ||  // Latin-1: accented letters, ·, ×
         (c >= 0x2000 && c <= 0x2BFF) ||  // punctuation, arrows, shapes, symbols (♥), dingbats (❤)
         (c >= 0x3000 && c <= 0x30FF) ||  // Chinese punctuation, kana
         (c >= 0x4E00 && c <= 0x9FFF) ||  // the common ideographs
         (c >= 0xFE30 && c <= 0xFE4F) ||  // vertical forms of Chinese punctuation
         (c >= 0xFE00 && c <= 0xFE0F) ||  // variation selectors that follow emoji
         (c >= 0xFF00 && c <= 0xFFEF) ||  // full-width letters, digits and punctuation
         (c >= 0x1F000 && c <= 0x1FAFF);  // emoji
}

// A reading's characters beyond ASCII and their plausibility, each scored 0 (implausible), 1 (possible but
// rare) or 2 (common in a show's text).
struct Reading {
  bool valid = false;
  std::size_t characters = 0;
  std::size_t score = 0;

  // Compares average scores without division.
  bool MorePlausibleThan(const Reading& other) const {
    return score * other.characters > other.score * characters;
  }
};

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
Reading ReadAsUtf8(std::string_view bytes) {
  Reading reading;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t lead = Byte(bytes, i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
      return reading;
    }
    if (i + length > bytes.size()) return reading;
    for (std::size_t k = 1; k < length; ++k) {
      const std::uint8_t next = Byte(bytes, i + k);
      if ((next & 0xC0) != 0x80) return reading;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return reading;
    ++reading.characters;
    if (PlausibleInShow(c)) reading.score += 2;
    i += length;
  }
  reading.valid = true;
  return reading;
}

// The score of a GBK character by its place in the code page. GB2312, the national standard set within GBK,
// puts its 3755 common ideographs in rows B0 to D7 (they make up all but a tiny share of written Chinese),
// its rarer ideographs in rows D8 to F7, Chinese punctuation in row A1 and full-width forms in row A3. The
// rest of GBK is rare ideographs and user-defined areas. UTF-8 Chinese read as GBK gives byte pairs whose
// lead is a UTF-8 lead byte (E4 to E9, rows of rare ideographs) or a continuation byte paired with the wrong
// trail, so its average stays below that of real Chinese in GBK.
std::size_t GbkScore(std::uint8_t lead, std::uint8_t trail) {
  if (trail < 0xA1 || trail > 0xFE) return 0;
  if ((lead >= 0xB0 && lead <= 0xD7) || lead == 0xA1 || lead == 0xA3) return 2;
  if ((lead >= 0xD8 && lead <= 0xF7) || (lead >= 0xA2 && lead <= 0xA9)) return 1;
  return 0;
}

// GBK with GB18030's four-byte characters, which the show reads as well.
Reading ReadAsGbk(std::string_view bytes) {
  Reading reading;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t lead = Byte(bytes, i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead == 0x80 || lead == 0xFF || i + 1 == bytes.size()) return reading;
    const std::uint8_t trail = Byte(bytes, i + 1);
    if (trail >= 0x30 && trail <= 0x39) {
      if (i + 3 >= bytes.size()) return reading;
      const std::uint8_t third = Byte(bytes, i + 2);
      const std::uint8_t fourth = Byte(bytes, i + 3);
      if (third < 0x81 || third > 0xFE || fourth < 0x30 || fourth > 0x39) return reading;
      ++reading.characters;
      i += 4;
      continue;
    }
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return reading;
    ++reading.characters;
    reading.score += GbkScore(lead, trail);
    i += 2;
  }
  reading.valid = true;
  return reading;
}

// UTF-16 without a byte-order mark shows itself by its zero bytes (the high half of every ASCII character,
// CR and LF included, and of the odd ideograph such as U+4E00) and by decoding to plausible characters.
bool LooksLikeUtf16(std::string_view bytes, bool little_endian) {
  if (bytes.size() < 2) return false;
  std::size_t characters = 0;
  std::size_t plausible = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = [&](std::size_t at) {
      return little_endian ? static_cast<char32_t>(Byte(bytes, at) | (Byte(bytes, at + 1) << 8))
                           : static_cast<char32_t>((Byte(bytes, at) << 8) | Byte(bytes, at + 1));
    };
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    ++characters;
    if (c != 0 && PlausibleInShow(c)) ++plausible;
  }
  return plausible * 10 >= characters * 9;
}

std::optional<TextEncoding> Utf16WithoutBom(std::string_view bytes) {
  std::size_t even_zeros = 0;
  std::size_t odd_zeros = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\0') ++(i % 2 == 0 ? even_zeros : odd_zeros);
  }
  if (odd_zeros > 0 && LooksLikeUtf16(bytes, true)) return TextEncoding::Utf16LittleEndian;
  if (even_zeros > 0 && LooksLikeUtf16(bytes, false)) return TextEncoding::Utf16BigEndian;
  return std::nullopt;
}

std::optional<std::string> Reencode(std::string_view bytes, const char* from) {
  iconv_t converter = iconv_open("GB18030", from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string input(bytes);
  std::string output(bytes.size() * 2 + 16, '\0');
  char* in = input.data();
  std::size_t in_left = input.size();
  char* out = output.data();
  std::size_t out_left = output.size();
  bool failed = false;
  while (in_left > 0) {
    if (iconv(converter, &in, &in_left, &out, &out_left) != static_cast<std::size_t>(-1)) continue;
    if (errno != E2BIG) {
      failed = true;
      break;
    }
    const std::size_t written = output.size() - out_left;
    output.resize(output.size() * 2);
    out = output.data() + written;
    out_left = output.size() - written;
  }
  iconv_close(converter);
  if (failed) return std::nullopt;
  output.resize(output.size() - out_left);
  return output;
}

Text WithCrLfLineEnds(std::string_view text) {
  Text result;
  result.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      result += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      result += "\r\n";
    } else {
      result += text[i];
    }
  }
  return result;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

TextEncoding ClassifyTextEncoding(std::string_view bytes) {
  if (bytes.empty()) return TextEncoding::Empty;
  if (StartsWith(bytes, kUtf8Bom)) return TextEncoding::Utf8WithBom;
  if (StartsWith(bytes, kUtf16LittleEndianBom)) return TextEncoding::Utf16LittleEndian;
  if (StartsWith(bytes, kUtf16BigEndianBom)) return TextEncoding::Utf16BigEndian;
  if (const auto utf16 = Utf16WithoutBom(bytes)) return *utf16;

  // Anything after a stray zero byte never reaches the show.
  const std::string_view text = bytes.substr(0, FirstZeroByte(bytes));
  const Reading as_gbk = ReadAsGbk(text);
  if (as_gbk.valid && as_gbk.characters == 0) return TextEncoding::Ascii;
  const Reading as_utf8 = ReadAsUtf8(text);
  if (as_utf8.valid && (!as_gbk.valid || as_utf8.MorePlausibleThan(as_gbk))) return TextEncoding::Utf8;
  return as_gbk.valid ? TextEncoding::Gbk : TextEncoding::Unknown;
}

bool NeedsConversion(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithBom:
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
      return true;
    case TextEncoding::Empty:
    case TextEncoding::Ascii:
    case TextEncoding::Gbk:
    case TextEncoding::Unknown:
      break;
  }
  return false;
}

std::size_t FirstZeroByte(std::string_view bytes) {
  return bytes.find('\0');
}

LineEnds ClassifyLineEnds(std::string_view text) {
  std::size_t cr_lf = 0;
  std::size_t other = 0;
  bool lf_seen = false;
  bool cr_seen = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++cr_lf;
      ++i;
    } else if (text[i] == '\r') {
      ++other;
      cr_seen = true;
    } else if (text[i] == '\n') {
      ++other;
      lf_seen = true;
    }
  }
  if (cr_lf == 0 && other == 0) return LineEnds::None;
  if (other == 0) return LineEnds::CrLf;
  if (cr_lf > 0 || (lf_seen && cr_seen)) return LineEnds::Mixed;
  return lf_seen ? LineEnds::LfOnly : LineEnds::CrOnly;
}

std::optional<Text> ConvertToShowText(std::string_view bytes, TextEncoding encoding) {
  std::optional<std::string> gbk;
  switch (encoding) {
    case TextEncoding::Empty:
    case TextEncoding::Ascii:
    case TextEncoding::Gbk:
      gbk = std::string(bytes);
      break;
    case TextEncoding::Utf8:
      gbk = Reencode(bytes, "UTF-8");
      break;
    case TextEncoding::Utf8WithBom:
      gbk = Reencode(bytes.substr(kUtf8Bom.size()), "UTF-8");
      break;
    case TextEncoding::Utf16LittleEndian:
      gbk = Reencode(StartsWith(bytes, kUtf16LittleEndianBom) ? bytes.substr(2) : bytes, "UTF-16LE");
      break;
    case TextEncoding::Utf16BigEndian:
      gbk = Reencode(StartsWith(bytes, kUtf16BigEndianBom) ? bytes.substr(2) : bytes, "UTF-16BE");
      break;
    case TextEncoding::Unknown:
      break;
  }
  if (!gbk) return std::nullopt;
  return WithCrLfLineEnds(*gbk);
}

std::string_view DescribeEncoding(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Empty:
      return "empty";
    case TextEncoding::Ascii:
      return "plain ASCII";
    case TextEncoding::Gbk:
      return "GBK";
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::Utf8WithBom:
      return "UTF-8 with a byte-order mark";
    case TextEncoding::Utf16LittleEndian:
      return "UTF-16 (little-endian)";
    case TextEncoding::Utf16BigEndian:
      return "UTF-16 (big-endian)";
    case TextEncoding::Unknown:
      return "neither GBK nor UTF-8";
  }
  return "unknown";
}

std::string_view DescribeLineEnds(LineEnds line_ends) {
  switch (line_ends) {
    case LineEnds::None:
      return "a single line";
    case LineEnds::CrLf:
      return "CR LF line ends";
    case LineEnds::LfOnly:
      return "LF line ends";
    case LineEnds::CrOnly:
      return "CR line ends";
    case LineEnds::Mixed:
      return "mixed line ends";
  }
  return "unknown line ends";
}

}  // namespace heartstage::checker
