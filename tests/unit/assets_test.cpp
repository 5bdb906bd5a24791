#include "show/assets.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "show/state.h"
#include "test_folder.h"

namespace heartstage {
namespace {

using testing::TestFolder;

// "未导入姓名" in GBK.
const Text kDefaultNameGbk = "\xCE\xB4\xB5\xBC\xC8\xEB\xD0\xD5\xC3\xFB";

class LoadShowAssetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AllocateShowState();
    UseRunDirectory(folder.Path().string());
  }
  void TearDown() override { ReleaseShowState(); }

  TestFolder folder;
};

TEST(ProgramDirectoryTest, IsThePathCutBeforeTheLastSeparator) {
  struct Case {
    const char* program;
    const char* directory;
  } cases[] = {
      {"/opt/show/heartstage", "/opt/show"},
      {"/heartstage", ""},
      {"/a b/c.d/heartstage", "/a b/c.d"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DirectoryOfProgramFile(c.program), c.directory) << c.program;
}

TEST(ProgramDirectoryTest, CaptureTakesTheProgramFilesRealDirectoryAndEntersIt) {
  const auto program = std::filesystem::canonical("/proc/self/exe");
  std::filesystem::current_path("/");
  CaptureRunDirectory();
  EXPECT_EQ(RunDirectory(), program.parent_path().string());
  EXPECT_EQ(std::filesystem::current_path(), program.parent_path());
  EXPECT_EQ(AssetPath(kConfigFile), program.parent_path().string() + "/Default/Config.ini");
}

TEST_F(LoadShowAssetsTest, NoDefaultFolderGivesEveryDefault) {
  LoadShowAssets();
  const ShowState& state = ShowData();
  EXPECT_TRUE(state.Pictures.Background.empty());
  EXPECT_TRUE(state.Pictures.Normal.empty());
  EXPECT_TRUE(state.Pictures.Focus.empty());
  EXPECT_EQ(state.ShowTexts.Subtitle, "");
  EXPECT_EQ(state.ShowTexts.Name, kDefaultNameGbk);
  EXPECT_EQ(state.ShowTexts.Color, 255);
  EXPECT_EQ(state.Messages.Count(), 0);
  EXPECT_EQ(state.Delays.Subtitle, 10);
  EXPECT_EQ(state.Delays.Flicker, 200);
  EXPECT_EQ(state.Delays.Painting, 300);
}

TEST_F(LoadShowAssetsTest, EveryFileLandsInItsField) {
  folder.Write("Default/MGH_BG.gif", std::string("GIF89a\0bg", 9));
  folder.Write("Default/MGH_Default.bmp", "BMnormal");
  folder.Write("Default/MGH_Focus.bmp", "BMfocus");
  folder.Write("Default/Subtitle.txt", "line one\r\nline two\r\n");
  folder.Write("Default/MsgBox.txt", "A|a\r\nB|b\r\n");
  folder.Write("Default/Config.ini",
               "[Love]\r\nName=\xD0\xA1\xD3\xEA\r\n[Color]\r\nColor=16711680\r\n"
               "[Delay]\r\nSubtitle=5\r\nFlicker=150ms\r\nPainting=-7\r\n");
  LoadShowAssets();
  const ShowState& state = ShowData();
  EXPECT_EQ(state.Pictures.Background, ByteBuffer({'G', 'I', 'F', '8', '9', 'a', 0, 'b', 'g'}));
  EXPECT_EQ(state.Pictures.Normal, ByteBuffer({'B', 'M', 'n', 'o', 'r', 'm', 'a', 'l'}));
  EXPECT_EQ(state.Pictures.Focus, ByteBuffer({'B', 'M', 'f', 'o', 'c', 'u', 's'}));
  EXPECT_EQ(state.ShowTexts.Subtitle, "line one\r\nline two\r\n");
  EXPECT_EQ(state.ShowTexts.Name, "\xD0\xA1\xD3\xEA");  // "小雨"
  EXPECT_EQ(state.ShowTexts.Color, 0xFF0000);
  ASSERT_EQ(state.Messages.Count(), 2);
  EXPECT_EQ(state.Messages.At(1), "A|a");
  EXPECT_EQ(state.Messages.At(2), "B|b");
  EXPECT_EQ(state.Delays.Subtitle, 5);
  EXPECT_EQ(state.Delays.Flicker, 150);
  EXPECT_EQ(state.Delays.Painting, -7);
}

TEST_F(LoadShowAssetsTest, SettingsFileWithOnlyOneKeyKeepsTheOtherDefaults) {
  folder.Write("Default/Config.ini",
               "[Delay]\r\nPainting = \xA3\xB3\xA3\xB0\xA3\xB0");  // full-width "３００"
  LoadShowAssets();
  const ShowState& state = ShowData();
  EXPECT_EQ(state.Delays.Painting, 300);
  EXPECT_EQ(state.Delays.Subtitle, 10);
  EXPECT_EQ(state.Delays.Flicker, 200);
  EXPECT_EQ(state.ShowTexts.Color, 255);
  EXPECT_EQ(state.ShowTexts.Name, kDefaultNameGbk);
}

TEST_F(LoadShowAssetsTest, EmptyNameIsKeptRatherThanDefaulted) {
  folder.Write("Default/Config.ini", "[love]\r\nNAME=\r\n[Color]\r\nColor=0xFF\r\n");
  LoadShowAssets();
  EXPECT_EQ(ShowData().ShowTexts.Name, "");
  EXPECT_EQ(ShowData().ShowTexts.Color, 0);
}

TEST_F(LoadShowAssetsTest, TextFilesEndAtTheirFirstZeroByte) {
  // UTF-16 little-endian "Hi": the text ends right after its first byte.
  folder.Write("Default/Subtitle.txt", std::string("H\0i\0", 4));
  folder.Write("Default/MsgBox.txt", std::string("A|a\r\nB|b\0C|c\r\n", 15));
  LoadShowAssets();
  EXPECT_EQ(ShowData().ShowTexts.Subtitle, "H");
  EXPECT_EQ(ShowData().Messages.Count(), 2);
}

TEST_F(LoadShowAssetsTest, MessagesWithLineFeedsOnlyAreOneLine) {
  folder.Write("Default/MsgBox.txt", "A|a\nB|b\nC|c\n");
  LoadShowAssets();
  ASSERT_EQ(ShowData().Messages.Count(), 1);
  EXPECT_EQ(ShowData().Messages.At(1), "A|a\nB|b\nC|c\n");
}

// Whatever stands where a file should be, loading finishes at once and treats it as missing.
TEST_F(LoadShowAssetsTest, SpecialFilesInPlaceOfAssetsGiveDefaultsWithoutBlocking) {
  const char* names[] = {"MGH_BG.gif",   "MGH_Default.bmp", "MGH_Focus.bmp",
                         "Subtitle.txt", "MsgBox.txt",      "Config.ini"};
  std::filesystem::create_directories(folder.Path() / "Default");
  for (int kind = 0; kind < 3; ++kind) {
    for (const char* name : names) {
      const auto path = folder.Path() / "Default" / name;
      std::filesystem::remove_all(path);
      if (kind == 0) {
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
      } else if (kind == 1) {
        std::filesystem::create_directory(path);
      } else {
        std::filesystem::create_symlink(path, path);  // a loop
      }
    }
    const auto started = std::chrono::steady_clock::now();
    LoadShowAssets();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "kind " << kind;
    const ShowState& state = ShowData();
    EXPECT_TRUE(state.Pictures.Background.empty()) << "kind " << kind;
    EXPECT_EQ(state.ShowTexts.Subtitle, "") << "kind " << kind;
    EXPECT_EQ(state.Messages.Count(), 0) << "kind " << kind;
    EXPECT_EQ(state.ShowTexts.Name, kDefaultNameGbk) << "kind " << kind;
    EXPECT_EQ(state.Delays.Flicker, 200) << "kind " << kind;
  }
}

TEST_F(LoadShowAssetsTest, HundredMegabyteSubtitleLoadsWhole) {
  const std::string line = "\xC4\xE3\xBA\xC3 0123456789 abcdefghijklmnopqrstuvwxyz\r\n";  // "你好" ...
  const std::size_t lines = (100u << 20) / line.size();
  std::string text;
  text.reserve(lines * line.size());
  for (std::size_t i = 0; i < lines; ++i) text += line;
  folder.Write("Default/Subtitle.txt", text);
  LoadShowAssets();
  EXPECT_EQ(ShowData().ShowTexts.Subtitle.size(), text.size());
  EXPECT_EQ(CountLines(ShowData().ShowTexts.Subtitle), static_cast<std::int32_t>(lines));
}

}  // namespace
}  // namespace heartstage
