#include "show/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstddef>

namespace heartstage {

namespace {

constexpr bool IsLeadByte(char byte) {
  return static_cast<unsigned char>(byte) >= 0x80;
}

// Walks the pieces of `text` between occurrences of `delimiter`. The delimiter is tried before the
// double-byte check, so a delimiter that itself begins with a lead byte still matches where it stands.
template <typename VisitPiece>
void ForEachPiece(std::string_view text, std::string_view delimiter, VisitPiece visit_piece) {
  if (text.empty()) return;
  if (delimiter.empty()) {
    // An empty delimiter would match at every position without advancing; the text stays whole.
    visit_piece(text);
    return;
  }
  std::size_t piece_start = 0;
  std::size_t scan = 0;
  while (text.size() - scan >= delimiter.size()) {
    if (text.compare(scan, delimiter.size(), delimiter) == 0) {
      visit_piece(text.substr(piece_start, scan - piece_start));
      scan += delimiter.size();
      piece_start = scan;
    } else if (IsLeadByte(text[scan])) {
      if (scan + 1 == text.size()) break;
      scan += 2;
    } else {
      ++scan;
    }
  }
  if (piece_start < text.size()) visit_piece(text.substr(piece_start));
}

// The single byte a GBK full-width character stands for, or zero when it has no ASCII counterpart.
char FoldFullWidth(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
  if (lead == 0xA1) {
    switch (trail) {
      case 0xA1:
        return ' ';
      case 0xAB:
        return '~';
      case 0xEE:
      case 0xEF:
        return '*';
      default:
        break;
    }
  }
  return '\0';
}

Text FoldFullWidthForms(std::string_view text) {
  Text folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (!IsLeadByte(text[i])) {
      folded.push_back(text[i]);
      ++i;
      continue;
    }
    if (i + 1 == text.size()) break;
    const char ascii =
        FoldFullWidth(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(text[i + 1]));
    if (ascii != '\0') {
      folded.push_back(ascii);
    } else {
      folded.append(text.substr(i, 2));
    }
    i += 2;
  }
  return folded;
}

constexpr bool IsAtoiWhiteSpace(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == '\v' || byte == '\f';
}

constexpr bool IsDigit(char byte) {
  return byte >= '0' && byte <= '9';
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace

Text BytesToText(const ByteBuffer& bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return Text(bytes.begin(), end);
}

std::vector<Text> SplitText(std::string_view text, std::string_view delimiter) {
  std::vector<Text> pieces;
  ForEachPiece(text, delimiter, [&pieces](std::string_view piece) { pieces.emplace_back(piece); });
  return pieces;
}

std::int32_t CountLines(std::string_view text) {
  std::int32_t count = 0;
  ForEachPiece(text, kCrLf, [&count](std::string_view) { ++count; });
  return count;
}

Text JoinTexts(std::initializer_list<std::string_view> texts) {
  std::size_t length = 0;
  for (const std::string_view text : texts) length += text.size();
  Text joined;
  joined.reserve(length);
  for (const std::string_view text : texts) joined.append(text);
  return joined;
}

std::int32_t TextToInt(std::string_view text) {
  const Text folded = FoldFullWidthForms(text);
  std::size_t i = 0;
  while (i < folded.size() && IsAtoiWhiteSpace(folded[i])) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
    negative = folded[i] == '-';
    ++i;
  }
  // Unsigned arithmetic gives the 32-bit wrap-around that shows rely on without undefined behaviour.
  std::uint32_t magnitude = 0;
  for (; i < folded.size() && IsDigit(folded[i]); ++i) {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(folded[i] - '0');
  }
  if (negative) magnitude = 0u - magnitude;
  return static_cast<std::int32_t>(magnitude);
}

Text NumberToText(double value) {
  // std::to_chars ignores the locale, so the decimal point is always '.', unlike printf's "%.13g".
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  return Text(buffer, result.ptr);
}

ByteBuffer ReadAssetFile(const std::string& path) {
  if (path.empty()) return {};
  // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; such a file is refused just below.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) return {};
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return {};

  ByteBuffer bytes(static_cast<std::size_t>(status.st_size));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t count = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    filled += static_cast<std::size_t>(count);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace heartstage
