// heartstage-check run as the person preparing a show runs it, on a copy of the sample show with one pitfall
// put in, in a temporary folder of each test's own: its exit status and the words of its report.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/test_folder.h"

namespace heartstage::testing {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int exit_status = -1;
  std::string output;
};

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command = ShellQuoted(program);
  for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
  command += " 2>&1";
  ProgramRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    run.output.append(buffer, read);
  const int status = pclose(pipe);
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

ProgramRun RunChecker(const std::vector<std::string>& arguments) {
  return RunProgram(HEARTSTAGE_CHECK_PROGRAM, arguments);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::string Convert(const std::string& text, const char* from, const char* to) {
  iconv_t converter = iconv_open(to, from);
  std::string input = text;
  std::string output(text.size() * 4 + 16, '\0');
  char* in = input.data();
  std::size_t in_left = input.size();
  char* out = output.data();
  std::size_t out_left = output.size();
  iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  output.resize(output.size() - out_left);
  return output;
}

std::string Gbk(const std::string& utf8) {
  return Convert(utf8, "UTF-8", "GBK");
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// A 24-bit BMP of `width` x `height`: magenta (or `surround`) around a red disc.
std::string ButtonPicture(int width, int height, unsigned surround_red = 255, unsigned surround_blue = 255) {
  const int row_size = (width * 3 + 3) / 4 * 4;
  const int data_size = row_size * height;
  std::string bmp(54 + data_size, '\0');
  const auto put32 = [&bmp](int at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<std::uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = 24;
  put32(34, static_cast<std::uint32_t>(data_size));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int dx = x - width / 2;
      const int dy = y - height / 2;
      const bool inside = dx * dx + dy * dy < (width / 3) * (width / 3);
      char* pixel = &bmp[54 + y * row_size + x * 3];  // blue, green, red
      pixel[0] = static_cast<char>(inside ? 0 : surround_blue);
      pixel[1] = 0;
      pixel[2] = static_cast<char>(inside ? 255 : surround_red);
    }
  }
  return bmp;
}

// A copy of the sample show in Default inside the test's own folder.
class ShowFolder {
 public:
  ShowFolder() {
    fs::create_directories(Path());
    fs::copy(HEARTSTAGE_SAMPLE_SHOW, Path(), fs::copy_options::recursive);
  }
  fs::path Path() const { return folder_.Path() / "Default"; }
  std::string Read(const std::string& name) const { return ReadFile(Path() / name); }
  void Write(const std::string& name, const std::string& bytes) const {
    fs::remove_all(Path() / name);
    folder_.Write("Default/" + name, bytes);
  }
  void Rename(const std::string& from, const std::string& to) const {
    fs::rename(Path() / from, Path() / to);
  }
  void Remove(const std::string& name) const { fs::remove_all(Path() / name); }
  const TestFolder& Folder() const { return folder_; }

 private:
  TestFolder folder_;
};

const std::string kMessageLine = "第一次见到你，我就记住了你笑起来的样子。|初见";

struct PitfallCase {
  const char* name;
  std::function<void(const ShowFolder&)> put_in;
  int exit_status;
  std::vector<std::string> report_says;
};

std::vector<PitfallCase> PitfallCases() {
  return {
      {"SampleShowIsSound",
       [](const ShowFolder&) {},
       0,
       {"Sound: no warnings", "Name      \xE2\x80\x9C晚晴\xE2\x80\x9D, from Config.ini",
        " 1  \xE2\x80\x9C第一次见到你，我就记住了你笑起来的样子。\xE2\x80\x9D  titled "
        "\xE2\x80\x9C初见\xE2\x80\x9D",
        "MGH_BG.gif       found: GIF picture, 480 x 270 pixels, 20 frames, animated",
        "MGH_Default.bmp  found: BMP picture, 100 x 100 pixels, 5314 magenta pixels cut out",
        "Music_BG.mp3     found: MP3, plays 33.5 s"}},
      {"MessagesSavedAsUtf8",
       [](const ShowFolder& show) {
         show.Write("MsgBox.txt", Convert(show.Read("MsgBox.txt"), "GBK", "UTF-8"));
       },
       1,
       {"MsgBox.txt is saved as UTF-8, but the show reads its texts as GBK", "Run heartstage-check --fix"}},
      {"SubtitleSavedAsUtf16WithBom",
       [](const ShowFolder& show) {
         show.Write("Subtitle.txt", "\xFF\xFE" + Convert(show.Read("Subtitle.txt"), "GBK", "UTF-16LE"));
       },
       1,
       {"Subtitle.txt is saved as UTF-16", "so it sees 16 bytes of it"}},
      {"SubtitleSavedAsUtf16WithoutBom",
       [](const ShowFolder& show) {
         show.Write("Subtitle.txt", Convert(show.Read("Subtitle.txt"), "GBK", "UTF-16BE"));
       },
       1,
       {"Subtitle.txt is saved as UTF-16"}},
      {"SettingsWithByteOrderMark",
       [](const ShowFolder& show) {
         show.Write("Config.ini", "\xEF\xBB\xBF" + Convert(show.Read("Config.ini"), "GBK", "UTF-8"));
       },
       1,
       {"Config.ini is UTF-8 and starts with a byte-order mark",
        "the first section heading is not recognised", "[Love] Name is not set"}},
      {"MessagesWithLfLineEnds",
       [](const ShowFolder& show) {
         show.Write("MsgBox.txt", Replaced(show.Read("MsgBox.txt"), "\r\n", "\n"));
       },
       1,
       {"MsgBox.txt has LF line ends", "it sees 1 line where your editor shows 30",
        " 2  \xE2\x80\x9C祝天下人有情人终成眷属！！\xE2\x80\x9D  titled \xE2\x80\x9CLove\xE2\x80\x9D  (the "
        "default message)"}},
      {"SubtitleWithCrLineEnds",
       [](const ShowFolder& show) {
         show.Write("Subtitle.txt", Replaced(show.Read("Subtitle.txt"), "\r\n", "\r"));
       },
       1,
       {"Subtitle.txt has CR line ends", "it sees 1 line where your editor shows 14"}},
      {"MessageLineWithoutTitle",
       [](const ShowFolder& show) {
         show.Write("MsgBox.txt", Gbk(kMessageLine + "\r\nno title\r\nsecond|" + "\r\n"));
       },
       1,
       {"MsgBox.txt line 2, \xE2\x80\x9Cno title\xE2\x80\x9D, has no title after a \"|\": button 2 shows "
        "\xE2\x80\x9Cno title\xE2\x80\x9D with an empty title",
        "button 3 shows \xE2\x80\x9Csecond\xE2\x80\x9D with an empty title",
        " 3  \xE2\x80\x9Csecond\xE2\x80\x9D  titled \xE2\x80\x9C\xE2\x80\x9D\n"}},
      {"EmptyMessageLine",
       [](const ShowFolder& show) {
         show.Write("MsgBox.txt", Gbk(kMessageLine + "\r\n\r\n" + kMessageLine + "\r\n"));
       },
       1,
       {"MsgBox.txt line 2 is empty: button 2 shows \xE2\x80\x9C祝天下人有情人终成眷属！！\xE2\x80\x9D "
        "titled "
        "\xE2\x80\x9CLove\xE2\x80\x9D"}},
      {"MoreThanThirtyMessageLines",
       [](const ShowFolder& show) {
         show.Write("MsgBox.txt", show.Read("MsgBox.txt") + Gbk(kMessageLine + "\r\n"));
       },
       1,
       {"MsgBox.txt has more than 30 message lines", "line 31 is never shown"}},
      {"SettingsInLowerCase",
       [](const ShowFolder& show) { show.Rename("Config.ini", "config.ini"); },
       1,
       {"There is no Config.ini, only config.ini", "Rename config.ini to Config.ini"}},
      {"BackgroundInOtherCase",
       [](const ShowFolder& show) { show.Rename("MGH_BG.gif", "Mgh_bg.gif"); },
       1,
       {"MGH_BG.gif       missing; there is Mgh_bg.gif", "Rename Mgh_bg.gif to MGH_BG.gif"}},
      {"TextColourIsTheKeyColour",
       [](const ShowFolder& show) {
         show.Write("Config.ini", Replaced(show.Read("Config.ini"), "Color=12161279", "Color=16711935"));
       },
       1,
       {"[Color] Color is magenta (16711935)", "cannot be seen"}},
      {"NegativeDelay",
       [](const ShowFolder& show) {
         show.Write("Config.ini", Replaced(show.Read("Config.ini"), "Subtitle=10", "Subtitle=-5"));
       },
       1,
       {"[Delay] Subtitle is -5: a negative pause counts as none"}},
      {"DelayLongerThanAMinute",
       [](const ShowFolder& show) {
         show.Write("Config.ini", Replaced(show.Read("Config.ini"), "Painting=300", "Painting=60001"));
       },
       1,
       {"[Delay] Painting is 60001 ms, more than a minute"}},
      {"DelayOfExactlyAMinuteIsSound",
       [](const ShowFolder& show) {
         show.Write("Config.ini", Replaced(show.Read("Config.ini"), "Flicker=200", "Flicker=60000"));
       },
       0,
       {"Flicker   60000 ms each button of the running light stays lit, from Config.ini"}},
      {"SettingsTakeTheirDefaults",
       [](const ShowFolder& show) {
         show.Write("Config.ini", Gbk("[Delay]\r\nPainting = ３００\r\nFlick=100\r\n"));
       },
       1,
       {"Name      \xE2\x80\x9C未导入姓名\xE2\x80\x9D, default: not in Config.ini",
        "Painting  300 ms before each further heart button appears, from Config.ini",
        "Flicker   200 ms each button of the running light stays lit, default: not in Config.ini",
        "[Love] Name is not set",
        "\xE2\x80\x9C"
        "Flick\xE2\x80\x9D in [Delay], which the show does not read"}},
      {"HexadecimalColour",
       [](const ShowFolder& show) {
         show.Write("Config.ini", Replaced(show.Read("Config.ini"), "Color=12161279", "Color=0xFF"));
       },
       1,
       {"[Color] Color is written \xE2\x80\x9C"
        "0xFF\xE2\x80\x9D, which is not a plain whole number: the show "
        "reads it as 0"}},
      {"SubtitleLineWiderThanTheScreen",
       [](const ShowFolder& show) {
         std::string wide;
         for (int i = 0; i < 100; ++i) wide += "爱";
         show.Write("Subtitle.txt", Gbk("第一行\r\n" + wide + "\r\n"));
       },
       1,
       {"Subtitle lines wider than a screen 1366 pixels wide", "line 2 ", "takes 2 rows"}},
      {"SubtitleTallerThanTheScreen",
       [](const ShowFolder& show) {
         std::string text;
         for (int i = 1; i <= 60; ++i) text += "line " + std::to_string(i) + "\r\n";
         show.Write("Subtitle.txt", text);
       },
       1,
       {"The subtitle takes 60 rows", "the rest are cut off"}},
      {"MissingPicture",
       [](const ShowFolder& show) { show.Remove("MGH_Focus.bmp"); },
       1,
       {"MGH_Focus.bmp    missing", "MGH_Focus.bmp is missing: a lit button looks like the others"}},
      {"EmptySubtitle",
       [](const ShowFolder& show) { show.Write("Subtitle.txt", ""); },
       1,
       {"Subtitle.txt     empty", "Subtitle.txt is empty: no subtitle rolls up"}},
      {"MessagesAreAFolder",
       [](const ShowFolder& show) {
         show.Remove("MsgBox.txt");
         fs::create_directory(show.Path() / "MsgBox.txt");
       },
       1,
       {"MsgBox.txt is not a file: every heart button shows"}},
      {"PictureThatIsNotAPicture",
       [](const ShowFolder& show) { show.Write("MGH_Default.bmp", "not a picture"); },
       1,
       {"MGH_Default.bmp is not a picture the show can read"}},
      {"SongThatIsNotASong",
       [](const ShowFolder& show) { show.Write("Music_BG.mp3", std::string(4000, 'x')); },
       1,
       {"Music_BG.mp3 has no MP3 sound the show can play: the show is silent"}},
      {"ButtonPictureOfExactMagentaIsSound",
       [](const ShowFolder& show) {
         show.Write("MGH_Default.bmp", ButtonPicture(100, 100));
         show.Write("MGH_Focus.bmp", ButtonPicture(100, 100));
       },
       0,
       {"MGH_Focus.bmp    found: BMP picture, 100 x 100 pixels, "}},
      {"ButtonPictureWithNearlyMagenta",
       [](const ShowFolder& show) { show.Write("MGH_Focus.bmp", ButtonPicture(100, 100, 250, 245)); },
       1,
       {"close to magenta but not exactly it",
        "MGH_Focus.bmp    found: BMP picture, 100 x 100 pixels, no magenta"}},
      {"ButtonPictureTooLarge",
       [](const ShowFolder& show) { show.Write("MGH_Default.bmp", ButtonPicture(140, 100)); },
       1,
       {"MGH_Default.bmp is 140 x 100 pixels", "only its top left 100 x 100 pixels"}},
  };
}

class PitfallTest : public ::testing::TestWithParam<PitfallCase> {};

TEST_P(PitfallTest, reportsWhatTheShowWillDo) {
  const ShowFolder show;
  GetParam().put_in(show);
  const ProgramRun run = RunChecker({show.Path().string()});
  EXPECT_EQ(run.exit_status, GetParam().exit_status) << run.output;
  for (const std::string& words : GetParam().report_says) {
    EXPECT_NE(run.output.find(words), std::string::npos) << "the report lacks: " << words << "\n"
                                                         << run.output;
  }
  if (GetParam().exit_status == 0) {
    EXPECT_EQ(run.output.find("Warnings"), std::string::npos) << run.output;
  }
}

INSTANTIATE_TEST_SUITE_P(Shows, PitfallTest, ::testing::ValuesIn(PitfallCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CheckerFolder, missingFolder_cannotBeRead) {
  const TestFolder folder;
  const ProgramRun run = RunChecker({(folder.Path() / "Default").string()});
  EXPECT_EQ(run.exit_status, 2) << run.output;
  EXPECT_NE(run.output.find("there is no such folder"), std::string::npos) << run.output;
}

TEST(CheckerFolder, fileInsteadOfFolder_cannotBeRead) {
  const TestFolder folder;
  const ProgramRun run = RunChecker({folder.Write("Default", "a file")});
  EXPECT_EQ(run.exit_status, 2) << run.output;
  EXPECT_NE(run.output.find("it is not a folder"), std::string::npos) << run.output;
}

// Without an argument the checker looks where the show looks: Default beside the program file, wherever it
// is started from.
TEST(CheckerFolder, noArgument_checksTheDefaultBesideTheProgram) {
  const ShowFolder show;
  const fs::path program = show.Folder().Path() / "heartstage-check";
  fs::copy_file(HEARTSTAGE_CHECK_PROGRAM, program);
  const ProgramRun run = RunProgram(program.string(), {});
  EXPECT_EQ(run.exit_status, 0) << run.output;
  EXPECT_NE(run.output.find("The show in " + show.Path().string() + "\n"), std::string::npos) << run.output;
}

TEST(CheckerFolder, noArgumentAndShowFolderInLowerCase_cannotBeReadAndSaysWhy) {
  const ShowFolder show;
  fs::rename(show.Path(), show.Folder().Path() / "default");
  const fs::path program = show.Folder().Path() / "heartstage-check";
  fs::copy_file(HEARTSTAGE_CHECK_PROGRAM, program);
  const ProgramRun run = RunProgram(program.string(), {});
  EXPECT_EQ(run.exit_status, 2) << run.output;
  EXPECT_NE(run.output.find("There is a folder default beside it"), std::string::npos) << run.output;
}

// A show kept under another name is read as the show would read it once copied in as Default.
TEST(CheckerFolder, folderOfAnotherName_isCheckedAsTheShowWouldReadIt) {
  const ShowFolder show;
  const fs::path elsewhere = show.Folder().Path() / "for-anna";
  fs::rename(show.Path(), elsewhere);
  const ProgramRun run = RunChecker({elsewhere.string()});
  EXPECT_EQ(run.exit_status, 0) << run.output;
  EXPECT_NE(run.output.find("copy this one there under that name"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\xE2\x80\x9C晚晴\xE2\x80\x9D"), std::string::npos) << run.output;
}

// --fix: every way an editor may save the texts comes back, byte for byte, as the sample show's GBK with CR
// LF line ends; the file as it was is kept beside it; a second run finds the show sound. Config.ini is read
// at any line end, so line ends alone are no fault of it and --fix leaves it be.
struct SavedForm {
  const char* name;
  std::function<std::string(const std::string& gbk_crlf)> save;
  bool faulty_for_settings = true;
};

std::string Utf8(const std::string& gbk) {
  return Convert(gbk, "GBK", "UTF-8");
}

class FixTest : public ::testing::TestWithParam<SavedForm> {};

TEST_P(FixTest, convertsTheTextsToGbkWithCrLfAndKeepsBackups) {
  const ShowFolder show;
  std::vector<std::string> texts = {"Subtitle.txt", "MsgBox.txt"};
  if (GetParam().faulty_for_settings) texts.push_back("Config.ini");
  std::vector<std::string> originals;
  std::vector<std::string> saved;
  for (const std::string& name : texts) {
    originals.push_back(show.Read(name));
    saved.push_back(GetParam().save(originals.back()));
    show.Write(name, saved.back());
  }
  ASSERT_EQ(RunChecker({show.Path().string()}).exit_status, 1);

  const ProgramRun fix = RunChecker({"--fix", show.Path().string()});
  EXPECT_EQ(fix.exit_status, 0) << fix.output;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_NE(fix.output.find("Fixed " + texts[i]), std::string::npos) << fix.output;
    EXPECT_EQ(show.Read(texts[i]), originals[i]) << texts[i];
    EXPECT_EQ(show.Read(texts[i] + ".bak"), saved[i]) << texts[i] << ".bak";
  }

  const ProgramRun again = RunChecker({show.Path().string()});
  EXPECT_EQ(again.exit_status, 0) << again.output;
  const ProgramRun fix_again = RunChecker({"--fix", show.Path().string()});
  EXPECT_NE(fix_again.output.find("Nothing to fix"), std::string::npos) << fix_again.output;
  EXPECT_FALSE(fs::exists(show.Path() / "MsgBox.txt.bak2"));
}

INSTANTIATE_TEST_SUITE_P(
    Editors, FixTest,
    ::testing::Values(
        SavedForm{"Utf8", [](const std::string& text) { return Utf8(text); }},
        SavedForm{"Utf8WithLfLineEnds",
                  [](const std::string& text) { return Replaced(Utf8(text), "\r\n", "\n"); }},
        SavedForm{"Utf8WithBom", [](const std::string& text) { return "\xEF\xBB\xBF" + Utf8(text); }},
        SavedForm{"Utf16LittleEndianWithBom",
                  [](const std::string& text) { return "\xFF\xFE" + Convert(text, "GBK", "UTF-16LE"); }},
        SavedForm{"Utf16BigEndianWithoutBom",
                  [](const std::string& text) { return Convert(text, "GBK", "UTF-16BE"); }},
        SavedForm{"GbkWithLfLineEnds", [](const std::string& text) { return Replaced(text, "\r\n", "\n"); },
                  false},
        SavedForm{"GbkWithCrLineEnds", [](const std::string& text) { return Replaced(text, "\r\n", "\r"); },
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

// A backup is never overwritten: an earlier NAME.bak stays, the new one is NAME.bak2.
TEST(Fix, keepsAnEarlierBackup) {
  const ShowFolder show;
  show.Write("MsgBox.txt.bak", "an earlier backup");
  const std::string utf8 = Utf8(show.Read("MsgBox.txt"));
  show.Write("MsgBox.txt", utf8);
  const ProgramRun fix = RunChecker({"--fix", show.Path().string()});
  EXPECT_EQ(fix.exit_status, 0) << fix.output;
  EXPECT_EQ(show.Read("MsgBox.txt.bak"), "an earlier backup");
  EXPECT_EQ(show.Read("MsgBox.txt.bak2"), utf8);
}

}  // namespace
}  // namespace heartstage::testing
