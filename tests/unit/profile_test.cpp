#include "show/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "show/text.h"
#include "test_folder.h"

namespace heartstage {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t kValueLimit = kProfileValueBufferSize - 1;

// Full-width '３' '０' '０' in GBK.
constexpr std::string_view kFullWidth300 = "\xA3\xB3\xA3\xB0\xA3\xB0";

struct LookupCase {
  const char* name;
  std::string content;
  std::string_view section;
  std::string_view key;
  std::string_view default_value;
  std::string expected;
};

void ExpectLookups(const std::vector<LookupCase>& cases) {
  for (const LookupCase& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(ReadProfileValue(test.content, test.section, test.key, test.default_value), test.expected);
  }
}

TEST(ReadProfileValueTest, FindsValueOfKeyInSection) {
  ExpectLookups({
      {"plain key", "[Love]\r\nName=Xiao\r\n", "Love", "Name", "none", "Xiao"},
      {"blanks around the equals sign", "[Love]\r\nName \t=  Xiao Ming \t\r\n", "Love", "Name", "none",
       "Xiao Ming"},
      {"full-width digits kept as bytes", "[Delay]\r\nPainting = " + std::string(kFullWidth300), "Delay",
       "Painting", "300", std::string(kFullWidth300)},
      {"second key of the section", "[Delay]\r\nFlicker=150\r\nPainting=400\r\n", "Delay", "Painting", "300",
       "400"},
      {"equals sign inside the value", "[Love]\r\nName=a=b\r\n", "Love", "Name", "none", "a=b"},
      {"key in the second section", "[Love]\r\nName=x\r\n[Delay]\r\nName=y\r\n", "Delay", "Name", "none",
       "y"},
      {"blanks before the bracket", "  \t[Love]\r\nName=x\r\n", "Love", "Name", "none", "x"},
      {"blanks inside the brackets", "[ Love\t]\r\nName=x\r\n", "Love", "Name", "none", "x"},
      {"text after the closing bracket", "[Love] trailing\r\nName=x\r\n", "Love", "Name", "none", "x"},
      {"no closing bracket", "[Love\r\nName=x\r\n", "Love", "Name", "none", "x"},
      {"name up to the last closing bracket", "[a]b]\r\nName=x\r\n", "a]b", "Name", "none", "x"},
      {"blank lines between", "\r\n\r\n[Love]\r\n\r\n  \r\nName=x", "Love", "Name", "none", "x"},
      {"blanks around the names asked for", "[Love]\r\nName=x\r\n", " Love\t", "\tName ", "none", "x"},
  });
}

TEST(ReadProfileValueTest, EndsLinesAtAnyRunOfCrAndLf) {
  ExpectLookups({
      {"LF only", "[Delay]\nFlicker=150\nPainting=400\n", "Delay", "Painting", "300", "400"},
      {"CR only", "[Delay]\rFlicker=150\rPainting=400\r", "Delay", "Painting", "300", "400"},
      {"LF CR", "[Delay]\n\rPainting=400\n\r", "Delay", "Painting", "300", "400"},
      {"mixed", "[Love]\n\r\r\nColor=1\rName=x\r\n", "Love", "Name", "none", "x"},
      {"no final line end", "[Love]\r\nName=x", "Love", "Name", "none", "x"},
  });
}

TEST(ReadProfileValueTest, MatchesNamesIgnoringAsciiCase) {
  ExpectLookups({
      {"lower-case section, upper-case key", "[love]\r\nNAME=x\r\n", "Love", "Name", "none", "x"},
      {"mixed case asked for", "[Delay]\r\nPainting=400\r\n", "dELAY", "pAINTING", "300", "400"},
      // Section 0x81 0x41 and 0x81 0x61 are two different GBK characters whose trail bytes are 'A' and 'a'.
      {"trail bytes are not case-folded", "[\x81\x41]\r\nName=x\r\n", "\x81\x61", "Name", "none", "none"},
      {"same GBK name", "[\x81\x41]\r\nName=x\r\n", "\x81\x41", "Name", "none", "x"},
      // '@' and '`' differ only in the bit that tells letter cases apart, but they are no letters.
      {"non-letters are not case-folded", "[Love@]\r\nName=x\r\n", "Love`", "Name", "none", "none"},
  });
}

TEST(ReadProfileValueTest, FirstMatchingSectionWins) {
  ExpectLookups({
      {"duplicate section", "[Love]\r\nName=first\r\n[Love]\r\nName=second\r\n", "Love", "Name", "none",
       "first"},
      {"duplicate section in other case", "[LOVE]\r\nName=first\r\n[love]\r\nName=second\r\n", "Love", "Name",
       "none", "first"},
      {"key only in the later duplicate", "[Love]\r\nColor=1\r\n[Love]\r\nName=second\r\n", "Love", "Name",
       "none", "none"},
      {"duplicate after another section", "[Love]\r\nName=first\r\n[Color]\r\n[Love]\r\nName=second\r\n",
       "Love", "Name", "none", "first"},
  });
}

TEST(ReadProfileValueTest, FirstMatchingKeyWins) {
  ExpectLookups({
      {"duplicate key", "[Love]\r\nName=first\r\nName=second\r\n", "Love", "Name", "none", "first"},
      {"duplicate key in other case", "[Love]\r\nname=first\r\nNAME=second\r\n", "Love", "Name", "none",
       "first"},
      {"empty first value", "[Love]\r\nName=\r\nName=second\r\n", "Love", "Name", "none", ""},
  });
}

TEST(ReadProfileValueTest, PresentKeyWithEmptyValueGivesEmptyText) {
  ExpectLookups({
      {"nothing after the equals sign", "[Love]\r\nName=\r\n", "Love", "Name", "none", ""},
      {"only blanks after the equals sign", "[Love]\r\nName = \t\r\n", "Love", "Name", "none", ""},
      {"empty quotes", "[Love]\r\nName=\"\"\r\n", "Love", "Name", "none", ""},
      {"line without equals sign", "[Love]\r\nName\r\n", "Love", "Name", "none", ""},
      {"line without equals sign, with blanks", "[Love]\r\n  Name \r\n", "Love", "Name", "none", ""},
  });
}

TEST(ReadProfileValueTest, StripsOnePairOfEnclosingQuotes) {
  ExpectLookups({
      {"double quotes", "[Love]\r\nName=\"x\"\r\n", "Love", "Name", "none", "x"},
      {"single quotes", "[Love]\r\nName='x'\r\n", "Love", "Name", "none", "x"},
      {"blanks inside the quotes kept", "[Love]\r\nName=\" x \"\r\n", "Love", "Name", "none", " x "},
      {"blanks outside the quotes", "[Love]\r\nName=  \"x\"  \r\n", "Love", "Name", "none", "x"},
      {"only one pair", "[Love]\r\nName=\"\"x\"\"\r\n", "Love", "Name", "none", "\"x\""},
      {"different quotes", "[Love]\r\nName=\"x'\r\n", "Love", "Name", "none", "\"x'"},
      {"opening quote only", "[Love]\r\nName=\"x\r\n", "Love", "Name", "none", "\"x"},
      {"single quote character", "[Love]\r\nName=\"\r\n", "Love", "Name", "none", "\""},
      {"quotes not at both ends", "[Love]\r\nName=a\"x\"\r\n", "Love", "Name", "none", "a\"x\""},
  });
}

TEST(ReadProfileValueTest, SemicolonAndHashStartNoComment) {
  ExpectLookups({
      {"semicolon line is a key", "[Love]\r\n;Name=x\r\n", "Love", ";Name", "none", "x"},
      {"semicolon line hides no key", "[Love]\r\n;Name=x\r\n", "Love", "Name", "none", "none"},
      {"hash line is a key", "[Love]\r\n#Name=x\r\n", "Love", "#Name", "none", "x"},
      {"semicolon inside the value", "[Love]\r\nName=a ;b\r\n", "Love", "Name", "none", "a ;b"},
      {"hash inside the value", "[Love]\r\nName=a #b\r\n", "Love", "Name", "none", "a #b"},
      {"semicolon before a section", ";[Love]\r\nName=x\r\n", "Love", "Name", "none", "none"},
  });
}

TEST(ReadProfileValueTest, LinesBeforeFirstSectionBelongToNone) {
  ExpectLookups({
      {"key before the section", "Name=x\r\n[Love]\r\n", "Love", "Name", "none", "none"},
      {"empty section name asked for", "Name=x\r\n[Love]\r\n", "", "Name", "none", "none"},
      {"empty section header", "[]\r\nName=x\r\n", "", "Name", "none", "x"},
  });
}

TEST(ReadProfileValueTest, TakesNoByteOfDoubleByteCharacterForSyntax) {
  ExpectLookups({
      // 0x81 0x5D is one GBK character whose trail byte is ']'.
      {"trail byte ']' inside the section name", "[\x81\x5D]\r\nName=x\r\n", "\x81\x5D", "Name", "none", "x"},
      {"trail byte ']' without closing bracket", "[\x81\x5D\r\nName=x\r\n", "\x81\x5D", "Name", "none", "x"},
      {"trail byte ']' is no closing bracket", "[a\x81\x5Dz\r\nName=x\r\n", "a\x81\x5Dz", "Name", "none",
       "x"},
      // 0x81 0x5B is one GBK character whose trail byte is '['; a line starting with it is a key.
      {"line starting with trail byte '['", "[Love]\r\n\x81\x5B=x\r\nName=y\r\n", "Love", "Name", "none",
       "y"},
      {"key with trail byte '['", "[Love]\r\n\x81\x5B=x\r\n", "Love", "\x81\x5B", "none", "x"},
      // 0x81 0x22 and 0x81 0x27 are GBK characters whose trail bytes are the quote characters.
      {"trail byte '\"' is no closing quote", "[Love]\r\nName=\"a\x81\x22\r\n", "Love", "Name", "none",
       "\"a\x81\x22"},
      {"trail byte ''' is no closing quote", "[Love]\r\nName='\x81\x27\r\n", "Love", "Name", "none",
       "'\x81\x27"},
      // Full-width '３' '０' '０' between quotes.
      {"double-byte value in quotes", "[Delay]\r\nPainting=\"" + std::string(kFullWidth300) + "\"", "Delay",
       "Painting", "300", std::string(kFullWidth300)},
  });
}

TEST(ReadProfileValueTest, CutsValueToBufferWithoutSplittingCharacter) {
  const std::string at_limit(kValueLimit, 'a');
  // 0xB0 0xA1 is the GBK character '啊'.
  const std::string character_across_limit = std::string(kValueLimit - 1, 'a') + "\xB0\xA1";
  const std::string character_ending_at_limit = std::string(kValueLimit - 2, 'a') + "\xB0\xA1" + "b";
  const std::string quoted_over_limit = std::string(1, '"').append(kValueLimit + 5, 'q').append(1, '"');
  ExpectLookups({
      {"value at the limit", "[Love]\r\nName=" + at_limit + "\r\n", "Love", "Name", "none", at_limit},
      {"value one byte over", "[Love]\r\nName=" + at_limit + "z\r\n", "Love", "Name", "none", at_limit},
      {"character across the limit", "[Love]\r\nName=" + character_across_limit, "Love", "Name", "none",
       std::string(kValueLimit - 1, 'a')},
      {"character ending at the limit", "[Love]\r\nName=" + character_ending_at_limit, "Love", "Name", "none",
       character_ending_at_limit.substr(0, kValueLimit)},
      {"quotes removed before the cut", "[Love]\r\nName=" + quoted_over_limit, "Love", "Name", "none",
       std::string(kValueLimit, 'q')},
      {"megabyte line", "[Love]\r\nName=" + std::string(1 << 20, 'm') + "\r\n", "Love", "Name", "none",
       std::string(kValueLimit, 'm')},
      {"megabyte line before the key", "[Love]\r\nJunk=" + std::string(1 << 20, 'j') + "\r\nName=x\r\n",
       "Love", "Name", "none", "x"},
  });
}

TEST(ReadProfileValueTest, MissingSettingGivesDefaultWithoutTrailingBlanks) {
  ExpectLookups({
      {"empty content", "", "Love", "Name", "255", "255"},
      {"missing section", "[Color]\r\nName=x\r\n", "Love", "Name", "255", "255"},
      {"missing key", "[Love]\r\nColor=1\r\n", "Love", "Name", "255", "255"},
      {"trailing blanks removed", "", "Love", "Name", "255 \t ", "255"},
      {"leading blanks kept", "", "Love", "Name", "  255", "  255"},
      {"blank default", "", "Love", "Name", " \t", ""},
      // "未导入姓名" in GBK.
      {"GBK default", "", "Love", "Name", "\xCE\xB4\xB5\xBC\xC8\xEB\xD0\xD5\xC3\xFB",
       "\xCE\xB4\xB5\xBC\xC8\xEB\xD0\xD5\xC3\xFB"},
      {"key in the section named like the key", "[Name]\r\nLove=x\r\n", "Love", "Name", "d", "d"},
  });
}

TEST(ReadProfileStringTest, ReadsSettingsFromFile) {
  const testing::TestFolder folder;
  const std::string path =
      folder.Write("Config.ini", "[Delay]\r\nPainting = " + std::string(kFullWidth300) + "\r\n");
  struct Case {
    const char* name;
    std::string_view section;
    std::string_view key;
    std::string_view default_value;
    std::int32_t expected_number;
  } const cases[] = {
      {"full-width value", "Delay", "Painting", "300", 300},
      {"key missing from the file", "Delay", "Flicker", "200", 200},
      {"section missing from the file", "Color", "Color", "255", 255},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(TextToInt(ReadProfileString(path, test.section, test.key, test.default_value)),
              test.expected_number);
  }
}

TEST(ReadProfileStringTest, UnreadableFileGivesDefault) {
  const testing::TestFolder folder;
  struct Case {
    const char* name;
    std::string path;
  } const cases[] = {
      {"missing file", folder / "Config.ini"},
      {"missing folder", folder / "Default/Config.ini"},
      {"directory", folder.Path().string()},
      {"empty path", ""},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(ReadProfileString(test.path, "Love", "Name", "default  "), "default");
  }
}

TEST(ReadProfileStringTest, FifoGivesDefaultWithoutWaiting) {
  const testing::TestFolder folder;
  const std::string path = folder / "Config.ini";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  auto reading =
      std::async(std::launch::async, [&path] { return ReadProfileString(path, "Love", "Name", "d"); });
  if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Release the reader so the test can end; the failure is already decided.
    const int writer = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (writer >= 0) ::close(writer);
    FAIL() << "ReadProfileString blocked on a FIFO without a writer";
  }
  EXPECT_EQ(reading.get(), "d");
}

}  // namespace
}  // namespace heartstage
