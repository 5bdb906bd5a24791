// How the checker tells what a text file was saved as, and how --fix rewrites it.
#include "checker/text_files.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

namespace heartstage::checker {
namespace {

// glibc's converter, independent of the code under test.
std::string Convert(const std::string& text, const char* from, const char* to) {
  iconv_t converter = iconv_open(to, from);
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string input = text;
  std::string output(text.size() * 4 + 16, '\0');
  char* in = input.data();
  std::size_t in_left = input.size();
  char* out = output.data();
  std::size_t out_left = output.size();
  const std::size_t result = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  EXPECT_NE(result, static_cast<std::size_t>(-1)) << "cannot convert from " << from << " to " << to;
  output.resize(output.size() - out_left);
  return output;
}

std::string Gbk(const std::string& utf8) {
  return Convert(utf8, "UTF-8", "GBK");
}

struct EncodingCase {
  const char* name;
  std::string bytes;
  TextEncoding expected;
};

std::vector<EncodingCase> EncodingCases() {
  const std::string line = "第一次见到你，我就记住了你笑起来的样子。|初见\r\n";
  return {
      {"Empty", "", TextEncoding::Empty},
      {"AsciiIsGbkAsItIs", "[Delay]\r\nFlicker=200\r\n", TextEncoding::Ascii},
      {"GbkChinese", Gbk(line), TextEncoding::Gbk},
      {"Utf8Chinese", line, TextEncoding::Utf8},
      {"Utf8OneCharacterTitle", "爱", TextEncoding::Utf8},
      {"Utf8Emoji", "I \xE2\x9D\xA4 you", TextEncoding::Utf8},
      {"Utf8WithBom", "\xEF\xBB\xBF" + line, TextEncoding::Utf8WithBom},
      {"Utf8BomBeforeAscii", "\xEF\xBB\xBF[Love]\r\nName=Anna\r\n", TextEncoding::Utf8WithBom},
      {"Utf16LittleEndianWithBom", "\xFF\xFE" + Convert(line, "UTF-8", "UTF-16LE"),
       TextEncoding::Utf16LittleEndian},
      {"Utf16BigEndianWithBom", "\xFE\xFF" + Convert(line, "UTF-8", "UTF-16BE"),
       TextEncoding::Utf16BigEndian},
      {"Utf16LittleEndianWithoutBom", Convert(line, "UTF-8", "UTF-16LE"), TextEncoding::Utf16LittleEndian},
      {"Utf16BigEndianWithoutBom", Convert(line, "UTF-8", "UTF-16BE"), TextEncoding::Utf16BigEndian},
      // "学" in GBK is D1 A7, which is also valid UTF-8 (a Cyrillic letter): the Chinese reading wins.
      {"GbkThatIsValidUtf8ByChance", "\xD1\xA7", TextEncoding::Gbk},
      {"GbkWithGb18030FourByteEmoji", Gbk("我爱你") + "\x94\x39\xFC\x36", TextEncoding::Gbk},
      {"WesternCodePage", "caf\xE9 au lait", TextEncoding::Unknown},
      {"GbkCutByAZeroByte", Gbk("晚安") + std::string(1, '\0') + "\xFF\xFF", TextEncoding::Gbk},
  };
}

class ClassifyTextEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ClassifyTextEncodingTest, tellsWhatTheFileWasSavedAs) {
  EXPECT_EQ(ClassifyTextEncoding(GetParam().bytes), GetParam().expected)
      << "got " << DescribeEncoding(ClassifyTextEncoding(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(Files, ClassifyTextEncodingTest, ::testing::ValuesIn(EncodingCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// UTF-8 and GBK overlap, and short texts (a title of two characters) are where a guess could go wrong. Every
// string of one to eight characters drawn from all GB2312 ideographs, Chinese punctuation and ASCII must be
// told apart both ways.
TEST(ClassifyTextEncoding, shortChineseTextsAreNeverMistakenEitherWay) {
  std::mt19937 random(20240214);
  const std::vector<std::string> punctuation = {Gbk("，"), Gbk("。"), Gbk("！"),
                                                Gbk("？"), Gbk("、"), Gbk("…")};
  int checked = 0;
  for (int length = 1; length <= 8; ++length) {
    for (int sample = 0; sample < 3000; ++sample) {
      std::string gbk;
      for (int k = 0; k < length; ++k) {
        const unsigned pick = random() % 20;
        if (pick == 0) {
          gbk += punctuation[random() % punctuation.size()];
        } else if (pick == 1) {
          gbk += static_cast<char>('a' + random() % 26);
        } else {
          // Rows B0 to F7 hold the ideographs; row D7 ends at F9.
          unsigned lead = 0;
          unsigned trail = 0;
          do {
            lead = 0xB0 + random() % (0xF7 - 0xB0 + 1);
            trail = 0xA1 + random() % 94;
          } while (lead == 0xD7 && trail > 0xF9);
          gbk += static_cast<char>(lead);
          gbk += static_cast<char>(trail);
        }
      }
      const std::string utf8 = Convert(gbk, "GBK", "UTF-8");
      const TextEncoding as_gbk = ClassifyTextEncoding(gbk);
      const TextEncoding as_utf8 = ClassifyTextEncoding(utf8);
      if (as_gbk == TextEncoding::Ascii) continue;
      ASSERT_EQ(as_gbk, TextEncoding::Gbk)
          << "GBK text taken for " << DescribeEncoding(as_gbk) << ": " << utf8;
      ASSERT_EQ(as_utf8, TextEncoding::Utf8)
          << "UTF-8 text taken for " << DescribeEncoding(as_utf8) << ": " << utf8;
      ++checked;
    }
  }
  EXPECT_GT(checked, 20000);
}

struct LineEndCase {
  const char* name;
  std::string text;
  LineEnds expected;
};

class ClassifyLineEndsTest : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(ClassifyLineEndsTest, tellsTheLineEnds) {
  EXPECT_EQ(ClassifyLineEnds(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ClassifyLineEndsTest,
    ::testing::Values(LineEndCase{"OneLine", "A|a", LineEnds::None},
                      LineEndCase{"CrLf", "A|a\r\nB|b\r\n", LineEnds::CrLf},
                      LineEndCase{"LfOnly", "A|a\nB|b\n", LineEnds::LfOnly},
                      LineEndCase{"CrOnly", "A|a\rB|b\r", LineEnds::CrOnly},
                      LineEndCase{"OneLfAmongCrLf", "A|a\r\nB|b\nC|c\r\n", LineEnds::Mixed},
                      LineEndCase{"LfAndCr", "A|a\nB|b\rC", LineEnds::Mixed},
                      // A GBK trail byte is never CR or LF, so a double-byte character cannot look like one.
                      LineEndCase{"GbkCrLf", Gbk("晚安|夜\r\n早安|晨\r\n"), LineEnds::CrLf}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConversionCase {
  const char* name;
  std::string bytes;
};

class ConvertToShowTextTest : public ::testing::TestWithParam<ConversionCase> {};

const std::string kShowText = "你好，世界|问候\r\nHello|Hi\r\n";

TEST_P(ConvertToShowTextTest, givesGbkWithCrLfLineEnds) {
  const auto converted = ConvertToShowText(GetParam().bytes, ClassifyTextEncoding(GetParam().bytes));
  ASSERT_TRUE(converted.has_value());
  EXPECT_EQ(*converted, Gbk(kShowText));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConvertToShowTextTest,
    ::testing::Values(ConversionCase{"Utf8", kShowText},
                      ConversionCase{"Utf8WithBom", "\xEF\xBB\xBF" + kShowText},
                      ConversionCase{"Utf8LfOnly", "你好，世界|问候\nHello|Hi\n"},
                      ConversionCase{"Utf16LittleEndianWithBom",
                                     "\xFF\xFE" + Convert(kShowText, "UTF-8", "UTF-16LE")},
                      ConversionCase{"Utf16BigEndianWithoutBom", Convert(kShowText, "UTF-8", "UTF-16BE")},
                      ConversionCase{"GbkCrOnly", Gbk("你好，世界|问候\rHello|Hi\r")},
                      ConversionCase{"GbkMixed", Gbk("你好，世界|问候\nHello|Hi\r\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertToShowText, keepsCharactersGbkLacksInTheFormTheShowReads) {
  const std::string utf8 = "我\xE2\x9D\xA4你 \xF0\x9F\x98\x80\n";  // 我❤你 😀
  const auto converted = ConvertToShowText(utf8, TextEncoding::Utf8);
  ASSERT_TRUE(converted.has_value());
  EXPECT_EQ(Convert(*converted, "GB18030", "UTF-8"), "我\xE2\x9D\xA4你 \xF0\x9F\x98\x80\r\n");
  EXPECT_EQ(ClassifyTextEncoding(*converted), TextEncoding::Gbk);
}

TEST(ConvertToShowText, refusesBytesWhoseCharactersCannotBeTold) {
  EXPECT_FALSE(ConvertToShowText("caf\xE9 au lait", TextEncoding::Unknown).has_value());
}

}  // namespace
}  // namespace heartstage::checker
