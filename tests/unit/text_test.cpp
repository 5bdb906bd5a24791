#include "show/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "test_folder.h"

namespace heartstage {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace std::string_view_literals;

ByteBuffer Bytes(std::string_view text) {
  return ByteBuffer(text.begin(), text.end());
}

TEST(BytesToTextTest, KeepsBytesUpToFirstZeroByte) {
  struct Case {
    const char* name;
    std::string_view bytes;
    std::string_view expected;
  } const cases[] = {
      {"empty buffer", ""sv, ""sv},
      {"no zero byte", "abc"sv, "abc"sv},
      {"zero byte in the middle", "ab\0cd"sv, "ab"sv},
      {"zero byte first", "\0abc"sv, ""sv},
      // "Hi" saved as UTF-16 LE: the text ends right after the first byte of 'H'.
      {"UTF-16 text", "H\0i\0"sv, "H"sv},
      // GBK bytes are kept unchanged; 0xB0 0xA1 is the character '啊'.
      {"GBK bytes", "\xB0\xA1x"sv, "\xB0\xA1x"sv},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(BytesToText(Bytes(test.bytes)), test.expected);
  }
}

TEST(SplitTextTest, SplitsAtEveryDelimiterWithoutEmptyLastPiece) {
  struct Case {
    const char* name;
    std::string_view text;
    std::string_view delimiter;
    std::vector<Text> expected;
  } const cases[] = {
      {"empty text", ""sv, kCrLf, {}},
      {"no delimiter", "a"sv, kCrLf, {"a"}},
      {"two lines", "a\r\nb"sv, kCrLf, {"a", "b"}},
      {"final delimiter adds nothing", "a\r\nb\r\n"sv, kCrLf, {"a", "b"}},
      {"empty line in the middle", "a\r\n\r\nb"sv, kCrLf, {"a", "", "b"}},
      {"empty first line", "\r\na"sv, kCrLf, {"", "a"}},
      {"delimiter alone", "\r\n"sv, kCrLf, {""}},
      {"two delimiters alone", "\r\n\r\n"sv, kCrLf, {"", ""}},
      {"LF alone is no delimiter", "a\nb\n"sv, kCrLf, {"a\nb\n"}},
      {"CR before the delimiter stays in the piece", "a\r\r\nb"sv, kCrLf, {"a\r", "b"}},
      {"message and title", "A|a"sv, "|"sv, {"A", "a"}},
      {"bar at the end", "A|"sv, "|"sv, {"A"}},
      {"bar at the start", "|B"sv, "|"sv, {"", "B"}},
      {"two bars at the end", "A||"sv, "|"sv, {"A", ""}},
      {"three pieces", "A|a|x"sv, "|"sv, {"A", "a", "x"}},
      {"multi-byte delimiter", "1<>2<>3"sv, "<>"sv, {"1", "2", "3"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(SplitText(test.text, test.delimiter), test.expected);
  }
}

TEST(SplitTextTest, NeverSplitsInsideDoubleByteCharacter) {
  struct Case {
    const char* name;
    std::string_view text;
    std::string_view delimiter;
    std::vector<Text> expected;
  } const cases[] = {
      // 0x81 0x7C is one GBK character whose trail byte is '|'.
      {"trail byte equal to the delimiter", "\x81\x7C|b"sv, "|"sv, {"\x81\x7C", "b"}},
      {"trail byte equal to the delimiter only", "a\x81\x7C"sv, "|"sv, {"a\x81\x7C"}},
      // 0xB0 0xA1 is '啊'; a bar after it still splits.
      {"bar after a double-byte character", "\xB0\xA1|\xB0\xA1"sv, "|"sv, {"\xB0\xA1", "\xB0\xA1"}},
      // A lead byte swallows the CR of CR LF, so the LF that follows finds no delimiter.
      {"lead byte before CR LF", "a\x81\r\nb"sv, kCrLf, {"a\x81\r\nb"}},
      {"lead byte at the very end", "a|\x81"sv, "|"sv, {"a", "\x81"}},
      {"lead byte alone", "\x81"sv, "|"sv, {"\x81"}},
      // 0xA3 0xFC is the full-width bar '｜', which is not the ASCII one.
      {"full-width bar", "a\xA3\xFCz"sv, "|"sv, {"a\xA3\xFCz"}},
      {"delimiter starting with a lead byte", "a\xA3\xFCz"sv, "\xA3\xFC"sv, {"a", "z"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(SplitText(test.text, test.delimiter), test.expected);
  }
}

TEST(SplitTextTest, EmptyDelimiterKeepsTextWhole) {
  EXPECT_EQ(SplitText("a|b", ""), std::vector<Text>{"a|b"});
  EXPECT_EQ(SplitText("", ""), std::vector<Text>{});
}

TEST(CountLinesTest, CountsPiecesAtCrLf) {
  struct Case {
    const char* name;
    std::string_view text;
    std::int32_t expected;
  } const cases[] = {
      {"empty text", ""sv, 0},
      {"one line without line end", "a"sv, 1},
      {"three lines ending in CR LF", "a\r\nb\r\nc\r\n"sv, 3},
      {"empty line between lines", "a\r\n\r\nb\r\nc\r\n"sv, 4},
      {"LF-only line ends", "a\nb\nc\n"sv, 1},
      {"line end alone", "\r\n"sv, 1},
      // The lead byte 0x81 takes the CR as its trail byte, so no CR LF is seen.
      {"lead byte before CR LF", "a\x81\r\nb"sv, 1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(CountLines(test.text), test.expected);
  }
}

TEST(JoinTextsTest, PutsTextsOneAfterTheOther) {
  EXPECT_EQ(JoinTexts({}), "");
  EXPECT_EQ(JoinTexts({"", ""}), "");
  EXPECT_EQ(JoinTexts({"C:\\Show", "\\Default\\Config.ini"}), "C:\\Show\\Default\\Config.ini");
  EXPECT_EQ(JoinTexts({"a", "", "b", "c"}), "abc");
  EXPECT_EQ(JoinTexts({"a\0b"sv, "c"}), "a\0bc"sv);
}

TEST(TextToIntTest, ReadsLeadingDecimalNumberLikeAtoi) {
  struct Case {
    const char* name;
    std::string_view text;
    std::int32_t expected;
  } const cases[] = {
      {"empty text", ""sv, 0},
      {"plain number", "300"sv, 300},
      {"white space, sign and trailing letters", "  -12abc"sv, -12},
      {"every kind of leading white space", " \t\r\n\v\f42"sv, 42},
      {"plus sign", "+7"sv, 7},
      {"unit after the number", "150ms"sv, 150},
      {"hexadecimal is not recognised", "0xFF"sv, 0},
      {"no digits", "abc"sv, 0},
      {"sign without digits", "-"sv, 0},
      {"two signs", "+-5"sv, 0},
      {"blank between sign and digits", "- 5"sv, 0},
      {"blank inside the number", "1 2"sv, 1},
      {"leading zeros", "007"sv, 7},
      {"zero byte is not a digit",
       "5\0"
       "6"sv,
       5},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(TextToInt(test.text), test.expected);
  }
}

TEST(TextToIntTest, WrapsIn32BitsOnOverflow) {
  struct Case {
    const char* name;
    std::string_view text;
    std::int32_t expected;
  } const cases[] = {
      {"largest value", "2147483647"sv, std::numeric_limits<std::int32_t>::max()},
      {"smallest value", "-2147483648"sv, std::numeric_limits<std::int32_t>::min()},
      {"one past the largest", "2147483648"sv, std::numeric_limits<std::int32_t>::min()},
      {"2 to the 32", "4294967296"sv, 0},
      {"2 to the 32 plus 1", "4294967297"sv, 1},
      {"negated 2 to the 32 plus 1", "-4294967297"sv, -1},
      {"all ones", "4294967295"sv, -1},
      {"many digits", "99999999999999999999"sv, 1661992959},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(TextToInt(test.text), test.expected);
  }
}

TEST(TextToIntTest, FoldsFullWidthFormsToAscii) {
  // Texts are built with `s` literals where an ASCII digit follows a byte escape, which would swallow it.
  struct Case {
    const char* name;
    std::string text;
    std::int32_t expected;
  } const cases[] = {
      // Full-width '２' '０' (0xA3 0xB2, 0xA3 0xB0).
      {"full-width digits", "\xA3\xB2\xA3\xB0", 20},
      // Full-width '３' '０' '０'.
      {"full-width 300", "\xA3\xB3\xA3\xB0\xA3\xB0", 300},
      // Full-width '－' '５' (0xA3 0xAD, 0xA3 0xB5).
      {"full-width minus", "\xA3\xAD\xA3\xB5", -5},
      // Full-width '＋' '９' (0xA3 0xAB, 0xA3 0xB9).
      {"full-width plus", "\xA3\xAB\xA3\xB9", 9},
      // Ideographic space (0xA1 0xA1) before '７' (0xA3 0xB7).
      {"ideographic space is white space", "\xA1\xA1\xA3\xB7", 7},
      // '1', full-width '２' (0xA3 0xB2), '3'.
      {"full-width and ASCII digits mixed", "1\xA3\xB2"s + "3", 123},
      // '１' then full-width 'ｍ' (0xA3 0xED) ends the number.
      {"full-width letter ends the number", "\xA3\xB1\xA3\xED"s + "5", 1},
      // '１' then '啊' (0xB0 0xA1), a character without an ASCII form.
      {"other double-byte character ends the number", "\xA3\xB1\xB0\xA1"s + "5", 1},
      // 0xA1 0xAB is '～': it folds to '~', which ends the number.
      {"wave dash folds to a non-digit", "4\xA1\xAB"s + "5", 4},
      // 0xA3 0xA0 lies below the folded range and stays a double-byte character.
      {"byte below the folded range", "\xA3\xA0"s + "5", 0},
      // A lead byte alone at the end is dropped.
      {"lead byte at the end", "12\xA3", 12},
      // The trail 0x30 of 0x81 0x30 is no digit: the pair is one character.
      {"trail byte looking like a digit", "\x81\x30", 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(TextToInt(test.text), test.expected);
  }
}

TEST(NumberToTextTest, WritesUpToThirteenSignificantDigits) {
  struct Case {
    const char* name;
    double value;
    std::string_view expected;
  } const cases[] = {
      {"whole number", 2.0, "2"},
      {"tens", 30.0, "30"},
      {"fraction", 0.5, "0.5"},
      {"negative", -2.5, "-2.5"},
      {"zero", 0.0, "0"},
      {"rounding error hidden", 0.1 + 0.2, "0.3"},
      {"third", 1.0 / 3.0, "0.3333333333333"},
      {"thirteen digits", 1234567890123.0, "1234567890123"},
      {"fourteen digits", 12345678901234.0, "1.234567890123e+13"},
      {"small number", 0.00001, "1e-05"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(NumberToText(test.value), test.expected);
  }
}

TEST(ReadAssetFileTest, ReadsWholeRegularFile) {
  const testing::TestFolder folder;
  struct Case {
    const char* name;
    std::string_view content;
  } const cases[] = {
      {"text", "[Love]\r\nName=x\r\n"sv},
      {"binary with zero bytes", "GIF89a\0\x01\xFF\0"sv},
      {"single byte", "x"sv},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(ReadAssetFile(folder.Write("asset.bin", test.content)), Bytes(test.content));
  }
}

TEST(ReadAssetFileTest, FollowsSymlinkToRegularFile) {
  const testing::TestFolder folder;
  folder.Write("target.txt", "content");
  fs::create_symlink("target.txt", folder / "link.txt");
  EXPECT_EQ(ReadAssetFile(folder / "link.txt"), Bytes("content"));
}

TEST(ReadAssetFileTest, ReadsLargeFileToItsLastByte) {
  const testing::TestFolder folder;
  const std::string path = folder / "large.bin";
  constexpr off_t kSize = 100 * 1024 * 1024;
  {
    // A sparse file: the size is real, the disk stays untouched apart from the last byte.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::ftruncate(descriptor, kSize), 0);
    ASSERT_EQ(::pwrite(descriptor, "Z", 1, kSize - 1), 1);
    ::close(descriptor);
  }
  const ByteBuffer bytes = ReadAssetFile(path);
  ASSERT_EQ(bytes.size(), static_cast<std::size_t>(kSize));
  EXPECT_EQ(bytes.front(), 0);
  EXPECT_EQ(bytes.back(), 'Z');
}

TEST(ReadAssetFileTest, GivesEmptyBufferForAnythingButReadableRegularFile) {
  const testing::TestFolder folder;
  struct Case {
    const char* name;
    std::function<std::string(const testing::TestFolder&)> make_path;
  } const cases[] = {
      {"empty path", [](const testing::TestFolder&) { return std::string(); }},
      {"missing file", [](const testing::TestFolder& dir) { return dir / "missing.gif"; }},
      {"missing folder", [](const testing::TestFolder& dir) { return dir / "Default/MGH_BG.gif"; }},
      {"empty file", [](const testing::TestFolder& dir) { return dir.Write("empty.txt", ""); }},
      {"directory", [](const testing::TestFolder& dir) { return dir.Path().string(); }},
      {"character device", [](const testing::TestFolder&) { return std::string("/dev/zero"); }},
      {"symlink loop",
       [](const testing::TestFolder& dir) {
         fs::create_symlink("loop-b", dir / "loop-a");
         fs::create_symlink("loop-a", dir / "loop-b");
         return dir / "loop-a";
       }},
      {"dangling symlink",
       [](const testing::TestFolder& dir) {
         fs::create_symlink("nowhere", dir / "dangling");
         return dir / "dangling";
       }},
      {"path below a regular file",
       [](const testing::TestFolder& dir) { return dir.Write("plain", "x") + "/child"; }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_TRUE(ReadAssetFile(test.make_path(folder)).empty());
  }
}

TEST(ReadAssetFileTest, GivesEmptyBufferForFifoWithoutWaiting) {
  const testing::TestFolder folder;
  const std::string path = folder / "Subtitle.txt";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  auto reading = std::async(std::launch::async, [&path] { return ReadAssetFile(path); });
  if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Release the reader so the test can end; the failure is already decided.
    const int writer = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (writer >= 0) ::close(writer);
    FAIL() << "ReadAssetFile blocked on a FIFO without a writer";
  }
  EXPECT_TRUE(reading.get().empty());
}

TEST(ReadAssetFileTest, GivesEmptyBufferForFileWithoutReadPermission) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads files regardless of their permission bits";
  const testing::TestFolder folder;
  const std::string path = folder.Write("secret.txt", "secret");
  fs::permissions(path, fs::perms::none);
  EXPECT_TRUE(ReadAssetFile(path).empty());
}

}  // namespace
}  // namespace heartstage
