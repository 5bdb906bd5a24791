#include "checker/show_check.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "checker/report.h"
#include "checker/text_files.h"
#include "platform/inspection.h"
#include "platform/song_info.h"
#include "show/assets.h"
#include "show/heart_layout.h"
#include "show/state.h"
#include "stage/forms.h"
#include "stage/input.h"
#include "stage/subtitle.h"

namespace heartstage::checker {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kShowFolderName = "Default";
constexpr std::string_view kBackupSuffix = ".bak";
constexpr std::int32_t kLongestSensibleDelay = 60000;

// Every file of a show, in the order the report lists them.
constexpr std::array kShowFiles = {kConfigFile,        kSubtitleFile,     kMessagesFile, kBackgroundFile,
                                   kNormalPictureFile, kFocusPictureFile, kSongFile};

// The settings the show reads: section, key and the default it hands the reader.
struct Setting {
  std::string_view section;
  std::string_view key;
  std::string_view default_value;
};
constexpr Setting kNameSetting{"Love", "Name", kDefaultName};
constexpr Setting kColorSetting{"Color", "Color", "255"};
constexpr Setting kSubtitleDelay{"Delay", "Subtitle", "10"};
constexpr Setting kFlickerDelay{"Delay", "Flicker", "200"};
constexpr Setting kPaintingDelay{"Delay", "Painting", "300"};
constexpr std::array kSettings = {kNameSetting, kColorSetting, kSubtitleDelay, kFlickerDelay, kPaintingDelay};

std::string_view FileName(std::string_view relative) {
  return relative.substr(relative.rfind('/') + 1);
}

std::string_view AsView(const ByteBuffer& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return AsciiLower(a) == AsciiLower(b);
}

std::string Utf8(const Text& show_text) {
  return platform::ShowTextToUtf8(show_text);
}

std::string DefaultMessageDescription() {
  return Quote(Utf8(Text(stage::kDefaultMessage))) + " titled " + Quote(std::string(stage::kDefaultTitle));
}

// The show reads its files from RunDirectory() + "/Default/...". A folder of another name is reached
// through a link named Default in a private temporary folder, so the show's own code reads it unchanged.
class ShowFolderAccess {
 public:
  explicit ShowFolderAccess(const fs::path& folder) {
    if (folder.filename() == kShowFolderName) {
      const std::string parent = folder.parent_path().string();
      UseRunDirectory(parent == "/" ? std::string() : parent);
      return;
    }
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "heartstage-check-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) {
      ready_ = false;
      return;
    }
    link_folder_ = pattern;
    fs::create_directory_symlink(folder, link_folder_ / kShowFolderName, error);
    ready_ = !error;
    UseRunDirectory(link_folder_.string());
  }
  ~ShowFolderAccess() {
    std::error_code ignored;
    if (!link_folder_.empty()) fs::remove_all(link_folder_, ignored);
  }
  ShowFolderAccess(const ShowFolderAccess&) = delete;
  ShowFolderAccess& operator=(const ShowFolderAccess&) = delete;

  // False when the link could not be made: nothing can be read through it.
  bool Ready() const { return ready_; }

 private:
  fs::path link_folder_;
  bool ready_ = true;
};

enum class Presence { Found, Missing, OtherCase, NotAFile, Empty, Unreadable };

struct ShowFile {
  std::string_view relative;
  std::string name;
  Presence presence = Presence::Missing;
  std::string other_case_name;  // the name it has in another letter case, for OtherCase
  ByteBuffer bytes;             // what the show reads
};

ShowFile ExamineFile(std::string_view relative, const std::vector<std::string>& listing) {
  ShowFile file;
  file.relative = relative;
  file.name = std::string(FileName(relative));
  const std::string path = AssetPath(relative);
  file.bytes = ReadAssetFile(path);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) {
    const auto other = std::find_if(listing.begin(), listing.end(), [&](const std::string& name) {
      return SameIgnoringCase(name, file.name);
    });
    if (other != listing.end()) {
      file.presence = Presence::OtherCase;
      file.other_case_name = *other;
    }
    return file;
  }
  if (!fs::is_regular_file(status)) {
    file.presence = Presence::NotAFile;
  } else if (fs::file_size(path, error) == 0) {
    file.presence = Presence::Empty;
  } else if (file.bytes.empty()) {
    file.presence = Presence::Unreadable;
  } else {
    file.presence = Presence::Found;
  }
  return file;
}

const ShowFile& FileOf(const std::vector<ShowFile>& files, std::string_view relative) {
  return *std::find_if(files.begin(), files.end(),
                       [&](const ShowFile& file) { return file.relative == relative; });
}

// What the show does without the file, for the warning about a missing, empty or unreadable one.
std::string WithoutIt(std::string_view relative) {
  if (relative == kConfigFile) {
    return "every setting takes its default, and the centre of the heart says " +
           Quote(Utf8(Text(kNameSetting.default_value))) + " (\"no name imported\")";
  }
  if (relative == kSubtitleFile) return "no subtitle rolls up at the start";
  if (relative == kMessagesFile) return "every heart button shows " + DefaultMessageDescription();
  if (relative == kBackgroundFile) return "the stage is plain grey";
  if (relative == kNormalPictureFile) return "the heart buttons are black squares";
  if (relative == kFocusPictureFile)
    return "a lit button looks like the others, so the running light cannot be seen";
  return "the show is silent";
}

std::string WhatItHolds(std::string_view relative) {
  if (relative == kConfigFile) return "the name, the text colour and the delays";
  if (relative == kSubtitleFile) return "the subtitle's text";
  if (relative == kMessagesFile) return "one message|title line for each heart button";
  if (relative == kBackgroundFile) return "the background picture (a GIF, animated or still)";
  if (relative == kNormalPictureFile)
    return "the heart button's picture (a BMP with magenta around the heart)";
  if (relative == kFocusPictureFile)
    return "the lit heart button's picture (a BMP with magenta around the heart)";
  return "the song (an MP3)";
}

bool IsText(std::string_view relative) {
  return relative == kConfigFile || relative == kSubtitleFile || relative == kMessagesFile;
}

// The lines as the show splits them: at CR LF only.
std::vector<Text> ShowLines(std::string_view text) {
  return SplitText(text, kCrLf);
}

// The lines as an editor shows them: any line end counts.
std::size_t EditorLineCount(std::string_view text) {
  std::size_t lines = text.empty() ? 0 : 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if ((text[i] == '\n' || text[i] == '\r') && i + 1 < text.size()) ++lines;
  }
  return lines;
}

bool HasNonAscii(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The first line with more than ASCII in it, as the show would show it.
std::string FirstGarbledLine(std::string_view bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    if (HasNonAscii(line)) return Utf8(Text(line));
    start = end + 1;
  }
  return {};
}

std::string FixTexts(std::string_view name) {
  return "Run heartstage-check --fix, which converts the file to GBK with CR LF line ends and keeps the "
         "original beside it as " +
         std::string(name) + std::string(kBackupSuffix) +
         "; or save it from your editor as GBK (also called \"Chinese Simplified\", GB2312 or code page 936) "
         "with Windows (CR LF) line ends.";
}

// Encoding and line ends of one text file; what the show makes of them.
void CheckTextFile(const ShowFile& file, Report& report) {
  const std::string_view bytes = AsView(file.bytes);
  const TextEncoding encoding = ClassifyTextEncoding(bytes);
  const bool utf16 = encoding == TextEncoding::Utf16LittleEndian || encoding == TextEncoding::Utf16BigEndian;
  const LineEnds line_ends = utf16 ? LineEnds::None : ClassifyLineEnds(bytes);

  std::string line = Padded(file.name, 17) + "found, " +
                     Count(static_cast<long long>(bytes.size()), "byte", "bytes") + ": " +
                     std::string(DescribeEncoding(encoding));
  if (!utf16) line += ", " + std::string(DescribeLineEnds(line_ends));
  report.Line(line);

  const std::string& name = file.name;
  switch (encoding) {
    case TextEncoding::Utf8: {
      report.Warn(
          name +
              " is saved as UTF-8, but the show reads its texts as GBK: its Chinese turns into other, "
              "wrong characters (for instance " +
              Quote(FirstGarbledLine(bytes)) + ").",
          FixTexts(name));
      break;
    }
    case TextEncoding::Utf8WithBom: {
      std::string what = name +
                         " is UTF-8 and starts with a byte-order mark (the bytes EF BB BF): the show reads "
                         "GBK and takes the mark for characters of the first line";
      if (file.relative == kConfigFile) {
        what += ", so the first section heading is not recognised and its settings take their defaults";
      }
      if (HasNonAscii(bytes.substr(3))) what += "; its Chinese turns into other, wrong characters too";
      report.Warn(what + ".", FixTexts(name));
      break;
    }
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
      report.Warn(
          name +
              " is saved as UTF-16, whose characters are made of two bytes, often one of them zero: the "
              "show reads a text only up to its first zero byte, so it sees " +
              Count(static_cast<long long>(BytesToText(file.bytes).size()), "byte", "bytes") + " of it.",
          FixTexts(name));
      break;
    case TextEncoding::Unknown:
      report.Warn(name +
                      " has bytes that are neither GBK nor UTF-8 (saved in another code page?): they show "
                      "as wrong characters.",
                  "Open it in your editor, check the text, and save it as GBK (\"Chinese Simplified\") with "
                  "Windows (CR LF) line ends.");
      break;
    case TextEncoding::Empty:
    case TextEncoding::Ascii:
    case TextEncoding::Gbk:
      break;
  }
  if (!utf16) {
    if (const std::size_t zero = FirstZeroByte(bytes); zero != std::string_view::npos) {
      report.Warn(
          name + " has a zero byte at byte " + std::to_string(zero + 1) + " of " +
              std::to_string(bytes.size()) + ": the show reads nothing after it.",
          "Remove the zero byte (an editor that shows invisible characters finds it), or copy the text "
          "into a new file.");
    }
  }

  // The settings file is read line by line at any line end; the two texts are split at CR LF only.
  if (file.relative == kConfigFile || utf16) return;
  const std::int32_t show_lines = CountLines(BytesToText(file.bytes));
  const std::string seen = "it sees " + Count(show_lines, "line", "lines") + " where your editor shows " +
                           std::to_string(EditorLineCount(BytesToText(file.bytes)));
  std::string consequence = file.relative == kMessagesFile
                                ? "; lines that are not ended by CR LF run into the next, and their buttons "
                                  "show the wrong message"
                                : "; lines that are not ended by CR LF run into the next";
  switch (line_ends) {
    case LineEnds::LfOnly:
      report.Warn(name +
                      " has LF line ends, as Linux and macOS editors save: the show breaks lines only at "
                      "CR LF, so " +
                      seen + consequence + ".",
                  FixTexts(name));
      break;
    case LineEnds::CrOnly:
      report.Warn(
          name + " has CR line ends, as old Mac editors saved: the show breaks lines only at CR LF, so " +
              seen + consequence + ".",
          FixTexts(name));
      break;
    case LineEnds::Mixed:
      report.Warn(name +
                      " has some lines ended by CR LF and some by LF or CR alone: the show breaks lines only "
                      "at CR LF, so " +
                      seen + consequence + ".",
                  FixTexts(name));
      break;
    case LineEnds::None:
    case LineEnds::CrLf:
      break;
  }
}

bool TextNeedsFix(const ShowFile& file) {
  if (file.presence != Presence::Found || !IsText(file.relative)) return false;
  const std::string_view bytes = AsView(file.bytes);
  const TextEncoding encoding = ClassifyTextEncoding(bytes);
  if (NeedsConversion(encoding)) return true;
  if (file.relative == kConfigFile || encoding == TextEncoding::Unknown) return false;
  const LineEnds line_ends = ClassifyLineEnds(bytes);
  return line_ends == LineEnds::LfOnly || line_ends == LineEnds::CrOnly || line_ends == LineEnds::Mixed;
}

fs::path FreeBackupPath(const fs::path& file) {
  fs::path backup = file;
  backup += kBackupSuffix;
  for (int n = 2; fs::exists(fs::symlink_status(backup)); ++n) {
    backup = file;
    backup += std::string(kBackupSuffix) + std::to_string(n);
  }
  return backup;
}

// Rewrites one text file as GBK with CR LF line ends, the original kept beside it. Says what it did.
void FixTextFile(const fs::path& folder, const ShowFile& file, std::ostream& out) {
  const std::string_view bytes = AsView(file.bytes);
  const TextEncoding encoding = ClassifyTextEncoding(bytes);
  const std::optional<Text> converted = ConvertToShowText(bytes, encoding);
  const fs::path path = folder / file.name;
  if (!converted) {
    out << "Could not fix " << file.name << ": its characters cannot be told (" << DescribeEncoding(encoding)
        << ").\n";
    return;
  }
  const fs::path backup = FreeBackupPath(path);
  std::error_code error;
  fs::copy_file(path, backup, error);
  if (error) {
    out << "Did not fix " << file.name << ": could not keep a backup as " << backup.filename().string()
        << " (" << error.message() << ").\n";
    return;
  }
  // Written beside it and renamed over it, so that a failed write never leaves half a file.
  fs::path written = path;
  written += ".new";
  {
    std::ofstream stream(written, std::ios::binary | std::ios::trunc);
    stream.write(converted->data(), static_cast<std::streamsize>(converted->size()));
    if (!stream) error = std::make_error_code(std::errc::io_error);
  }
  if (!error) fs::rename(written, path, error);
  if (error) {
    fs::remove(written, error);
    out << "Could not fix " << file.name << ": it cannot be written.\n";
    return;
  }
  out << "Fixed " << file.name << ": converted from " << DescribeEncoding(encoding)
      << " to GBK with CR LF line ends; the original is kept as " << backup.filename().string() << ".\n";
}

// Whether a setting's text reads as the number it seems to be: optional blanks and sign, then digits only
// (full-width ones too, as the show folds them), with nothing after.
bool IsPlainNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size()) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++i;
    } else if (i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xA3 &&
               static_cast<unsigned char>(text[i + 1]) >= 0xB0 &&
               static_cast<unsigned char>(text[i + 1]) <= 0xB9) {
      i += 2;
    } else {
      break;
    }
    ++digits;
  }
  return digits > 0 && i == text.size();
}

struct SettingValue {
  Text text;  // as the show reads it
  bool from_file = false;
};

// Asked twice with two different defaults: only a value that comes from the file is the same both times.
SettingValue ReadSetting(const Setting& setting) {
  const Text first = ReadConfigText(setting.section, setting.key, "\x01");
  const Text second = ReadConfigText(setting.section, setting.key, "\x02");
  if (first == second) return {first, true};
  return {ReadConfigText(setting.section, setting.key, setting.default_value), false};
}

std::string ColorDescription(std::int32_t color) {
  const auto value = static_cast<std::uint32_t>(color);
  const unsigned red = value & 0xFF;
  const unsigned green = (value >> 8) & 0xFF;
  const unsigned blue = (value >> 16) & 0xFF;
  char hex[16];
  std::snprintf(hex, sizeof hex, "#%02X%02X%02X", red, green, blue);
  return "red " + std::to_string(red) + ", green " + std::to_string(green) + ", blue " +
         std::to_string(blue) + " (" + hex + ")";
}

std::string SettingName(const Setting& setting) {
  return "[" + std::string(setting.section) + "] " + std::string(setting.key);
}

void CheckDelay(const Setting& setting, std::int32_t value, std::string_view too_long,
                std::string_view negative, Report& report) {
  const std::string fix =
      "Give it a number of milliseconds from 0 to 60000 (a minute); without it the show "
      "takes " +
      std::string(setting.default_value) + ".";
  if (value < 0) {
    report.Warn(SettingName(setting) + " is " + std::to_string(value) +
                    ": a negative pause counts as none, " + std::string(negative) + ".",
                fix);
  } else if (value > kLongestSensibleDelay) {
    report.Warn(SettingName(setting) + " is " + std::to_string(value) +
                    " ms, more than a minute: " + std::string(too_long) + ".",
                fix);
  }
}

// Sections and keys of Config.ini that the show does not read: most often a misspelt name, which leaves the
// setting at its default.
void CheckUnknownNames(std::string_view content, Report& report) {
  std::string section;
  bool section_known = false;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      section =
          std::string(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      section_known = std::any_of(kSettings.begin(), kSettings.end(),
                                  [&](const Setting& s) { return SameIgnoringCase(s.section, section); });
      if (!section_known) {
        report.Warn("Config.ini has a section [" + Utf8(section) + "], which the show does not read.",
                    "The show reads the sections [Love], [Color] and [Delay]; correct the name or remove the "
                    "section.");
      }
      continue;
    }
    if (!section_known) continue;
    const std::string key(line.substr(0, line.find('=')));
    std::string trimmed = key;
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.pop_back();
    const bool known = std::any_of(kSettings.begin(), kSettings.end(), [&](const Setting& s) {
      return SameIgnoringCase(s.section, section) && SameIgnoringCase(s.key, trimmed);
    });
    if (!known) {
      std::string keys;
      for (const Setting& s : kSettings) {
        if (!SameIgnoringCase(s.section, section)) continue;
        keys += (keys.empty() ? "" : ", ") + std::string(s.key);
      }
      report.Warn("Config.ini has " + Quote(Utf8(trimmed)) + " in [" + Utf8(section) +
                      "], which the show does not read.",
                  "In that section the show reads " + keys + "; correct the name.");
    }
  }
}

void CheckSettings(const ShowFile& config, Report& report) {
  report.Section("Settings (Config.ini)");
  const ShowState& state = ShowData();
  const auto source = [](const SettingValue& value) {
    return value.from_file ? std::string("from Config.ini") : std::string("default: not in Config.ini");
  };

  const SettingValue name = ReadSetting(kNameSetting);
  report.Line(Padded("Name", 10) + Quote(Utf8(state.ShowTexts.Name), 60) + ", " + source(name));
  if (!name.from_file) {
    report.Warn("[Love] Name is not set: the centre of the heart says " + Quote(Utf8(state.ShowTexts.Name)) +
                    " (\"no name imported\").",
                "Write the person's name in Config.ini under [Love] as Name=...");
  } else if (state.ShowTexts.Name.empty()) {
    report.Warn("[Love] Name is empty: nothing shows in the centre of the heart.",
                "Write the person's name after Name= in Config.ini.");
  }

  const SettingValue color = ReadSetting(kColorSetting);
  report.Line(Padded("Color", 10) + std::to_string(state.ShowTexts.Color) + " = " +
              ColorDescription(state.ShowTexts.Color) + ", " + source(color));
  if ((static_cast<std::uint32_t>(state.ShowTexts.Color) & 0xFFFFFF) ==
      static_cast<std::uint32_t>(ColorKey)) {
    report.Warn(
        "[Color] Color is magenta (16711935), the see-through colour of the window the subtitle rolls "
        "up on: the subtitle's letters are cut out with their background and cannot be seen.",
        "Choose any other colour, as 0x00BBGGRR written in decimal: 255 is red, 16744703 pink, 16777215 "
        "white.");
  }

  struct DelayLine {
    const Setting& setting;
    std::int32_t value;
    std::string_view meaning;
  };
  const DelayLine delays[] = {
      {kSubtitleDelay, state.Delays.Subtitle, "ms between two one-pixel steps of the subtitle"},
      {kFlickerDelay, state.Delays.Flicker, "ms each button of the running light stays lit"},
      {kPaintingDelay, state.Delays.Painting, "ms before each further heart button appears"},
  };
  for (const DelayLine& delay : delays) {
    report.Line(Padded(delay.setting.key, 10) + std::to_string(delay.value) + " " +
                std::string(delay.meaning) + ", " + source(ReadSetting(delay.setting)));
  }

  for (const Setting& setting : {kColorSetting, kSubtitleDelay, kFlickerDelay, kPaintingDelay}) {
    const SettingValue value = ReadSetting(setting);
    if (!value.from_file || IsPlainNumber(value.text)) continue;
    report.Warn(SettingName(setting) + " is written " + Quote(Utf8(value.text)) +
                    ", which is not a plain whole number: the show reads it as " +
                    std::to_string(TextToInt(value.text)) + ".",
                "Write the number in decimal digits only, with no unit or 0x in front.");
  }
  CheckDelay(kSubtitleDelay, state.Delays.Subtitle, "the subtitle takes hours to roll up",
             "so the subtitle rushes past", report);
  CheckDelay(kFlickerDelay, state.Delays.Flicker, "the running light hardly moves",
             "so the running light races round", report);
  CheckDelay(kPaintingDelay, state.Delays.Painting, "the heart takes more than half an hour to appear",
             "so the heart appears all at once", report);

  if (config.presence == Presence::Found) {
    const TextEncoding encoding = ClassifyTextEncoding(AsView(config.bytes));
    if (encoding == TextEncoding::Ascii || encoding == TextEncoding::Gbk) {
      CheckUnknownNames(BytesToText(config.bytes), report);
    }
  }
}

const platform::FontForm& SubtitleFont() {
  static const platform::FontForm font = [] {
    for (const platform::ControlForm& control : stage::SubtitleWindowForm().controls) {
      if (control.name == stage::kSubtitleLabel) return control.font;
    }
    return platform::FontForm{};
  }();
  return font;
}

void CheckSubtitle(Report& report) {
  const ShowState& state = ShowData();
  const platform::FontForm& font = SubtitleFont();
  report.Section("Subtitle (Subtitle.txt)");
  const std::vector<Text> lines = ShowLines(state.ShowTexts.Subtitle);
  if (lines.empty()) {
    report.Line("none: the show starts with the heart");
    return;
  }
  const int step = platform::SubtitleRowStep(font);
  int rows = 0;
  std::size_t widest = 0;
  int widest_width = 0;
  std::vector<std::string> too_wide;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const platform::LineLayout layout = platform::LayOutSubtitleLine(lines[i], font, kAssumedScreenWidth);
    rows += layout.rows;
    if (layout.natural_width > widest_width) {
      widest_width = layout.natural_width;
      widest = i;
    }
    if (layout.natural_width > kAssumedScreenWidth) {
      too_wide.push_back("line " + std::to_string(i + 1) + " " + Quote(Utf8(lines[i]), 16) + " is " +
                         std::to_string(layout.natural_width) + " pixels wide and takes " +
                         Count(layout.rows, "row", "rows"));
    }
  }
  report.Line("Drawn in " + platform::ResolvedFontFamily(font) + (font.weight >= 700 ? " bold" : "") + ", " +
              std::to_string(font.pixel_height) + " pixels, as the show draws it; " + std::to_string(step) +
              " pixels a row.");
  report.Line(Count(static_cast<long long>(lines.size()), "line", "lines") + ", " +
              Count(rows, "row", "rows") + " on a screen " + std::to_string(kAssumedScreenWidth) +
              " pixels wide; the widest is line " + std::to_string(widest + 1) + ", " +
              std::to_string(widest_width) + " pixels.");
  const std::int64_t steps =
      stage::SubtitleScrollSteps(CountLines(state.ShowTexts.Subtitle), kAssumedScreenHeight);
  report.Line("It rolls up in about " +
              Duration(static_cast<double>(steps) * std::max(state.Delays.Subtitle, 0) / 1000.0) + " (" +
              std::to_string(steps) + " one-pixel steps on a screen " + std::to_string(kAssumedScreenHeight) +
              " pixels high).");

  if (!too_wide.empty()) {
    std::string list;
    for (std::size_t i = 0; i < too_wide.size() && i < 5; ++i) list += (i == 0 ? "" : "; ") + too_wide[i];
    if (too_wide.size() > 5) list += "; and " + std::to_string(too_wide.size() - 5) + " more";
    report.Warn("Subtitle lines wider than a screen " + std::to_string(kAssumedScreenWidth) +
                    " pixels wide, which the show breaks onto more rows: " + list + ".",
                "Shorten these lines or break each in two with Enter.");
  }
  const int whole_rows = kAssumedScreenHeight / step;
  if (rows > whole_rows) {
    report.Warn("The subtitle takes " + std::to_string(rows) + " rows of " + std::to_string(step) +
                    " pixels, more than a screen " + std::to_string(kAssumedScreenHeight) +
                    " pixels high holds: the show draws the subtitle on one sheet the size of the screen, so "
                    "only its first " +
                    std::to_string(whole_rows) + " rows roll up; the rest are cut off.",
                "Shorten the subtitle to at most " + std::to_string(whole_rows) + " rows.");
  }
}

// `judge_lines` is false when the file is not GBK: its lines are then judged after it is converted.
void CheckMessages(bool judge_lines, Report& report) {
  const ShowList<Text>& messages = ShowData().Messages;
  report.Section("Heart buttons: what a click shows (MsgBox.txt)");
  for (std::int32_t number = 1; number <= kHeartPointCount; ++number) {
    const stage::MessageBoxTexts texts = stage::MessageForButton(number);
    std::string line = (number < 10 ? " " : "") + std::to_string(number) + "  ";
    const bool from_line = number <= messages.Count() && !messages.At(number).empty();
    line += Quote(Utf8(texts.message), kMessageReportCharacters) + "  titled " + Quote(Utf8(texts.title), 20);
    if (!from_line) line += "  (the default message)";
    report.Line(line);
  }
  if (!judge_lines) return;

  // Empty lines at the very end change nothing: their buttons show what buttons without a line show.
  std::int32_t last_written = 0;
  for (std::int32_t i = 1; i <= messages.Count(); ++i) {
    if (!messages.At(i).empty()) last_written = i;
  }
  for (std::int32_t number = 1; number <= std::min(last_written, kHeartPointCount); ++number) {
    const Text& line = messages.At(number);
    const std::vector<Text> pieces = SplitText(line, "|");
    const stage::MessageBoxTexts shown = stage::MessageForButton(number);
    const std::string which = "MsgBox.txt line " + std::to_string(number);
    if (pieces.empty()) {
      report.Warn(which + " is empty: button " + std::to_string(number) + " shows " +
                      DefaultMessageDescription() + ".",
                  "Write a message there as message|title, or move the later lines up.");
    } else if (pieces.size() == 1) {
      report.Warn(which + ", " + Quote(Utf8(line)) + ", has no title after a \"|\": button " +
                      std::to_string(number) + " shows " + Quote(Utf8(shown.message)) +
                      " with an empty title.",
                  "Write the line as message|title.");
    } else if (pieces[0].empty()) {
      report.Warn(which + ", " + Quote(Utf8(line)) + ", has nothing before its \"|\": button " +
                      std::to_string(number) + " shows an empty message titled " + Quote(Utf8(shown.title)) +
                      ".",
                  "Write the line as message|title.");
    }
  }
  if (last_written > kHeartPointCount) {
    const std::string beyond = last_written == kHeartPointCount + 1
                                   ? "line " + std::to_string(last_written) + " is"
                                   : "lines " + std::to_string(kHeartPointCount + 1) + " to " +
                                         std::to_string(last_written) + " are";
    report.Warn("MsgBox.txt has more than " + std::to_string(kHeartPointCount) +
                    " message lines, but the heart has " + std::to_string(kHeartPointCount) +
                    " buttons: " + beyond + " never shown.",
                "Keep the " + std::to_string(kHeartPointCount) + " messages you want most, one per button.");
  }
}

std::string PictureLine(const ShowFile& file, const platform::PictureFacts& facts) {
  std::string format = facts.format;
  for (char& c : format) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  std::string line = Padded(file.name, 17) + "found: " + (format.empty() ? std::string("a") : format) +
                     " picture, " + std::to_string(facts.width) + " x " + std::to_string(facts.height) +
                     " pixels";
  if (file.relative == kBackgroundFile) {
    line += facts.frames > 1 ? ", " + std::to_string(facts.frames) + " frames, animated" : ", still";
    line += "; stretched over the screen";
  } else {
    line += facts.key_pixels == 0
                ? ", no magenta, so nothing is cut out: the button is a whole rectangle"
                : ", " + Count(facts.key_pixels, "magenta pixel", "magenta pixels") + " cut out";
  }
  return line;
}

void CheckPicture(const ShowFile& file, Report& report) {
  const platform::PictureFacts facts =
      platform::InspectPicture(file.bytes, static_cast<platform::Color>(ColorKey));
  if (!facts.decoded) {
    report.Line(Padded(file.name, 17) + "found, " +
                Count(static_cast<long long>(file.bytes.size()), "byte", "bytes") +
                ", but not a picture the show can read");
    report.Warn(file.name + " is not a picture the show can read: " + WithoutIt(file.relative) + ".",
                "Save the picture again as " +
                    std::string(file.relative == kBackgroundFile ? "a GIF" : "a BMP") +
                    " from a drawing program.");
    return;
  }
  report.Line(PictureLine(file, facts));
  if (file.relative == kBackgroundFile) return;

  const int size = stage::kHeartButtonSize;
  if (facts.width > size || facts.height > size) {
    report.Warn(file.name + " is " + std::to_string(facts.width) + " x " + std::to_string(facts.height) +
                    " pixels, but a heart button is " + std::to_string(size) + " x " + std::to_string(size) +
                    ": the show shows only its top left " + std::to_string(size) + " x " +
                    std::to_string(size) + " pixels.",
                "Scale the picture to " + std::to_string(size) + " x " + std::to_string(size) + " pixels.");
  }
  if (facts.near_key_pixels > 0) {
    report.Warn(
        file.name + " has " + Count(facts.near_key_pixels, "pixel", "pixels") +
            " close to magenta but not exactly it (smoothed edges or a lossy save): they are not cut out "
            "and show as a pink fringe.",
        "Paint the background exactly magenta, red 255, green 0, blue 255, with smoothing "
        "(antialiasing) off, and save as BMP.");
  }
}

void CheckSong(const ShowFile& file, Report& report) {
  const platform::SongFacts facts = platform::InspectSong(AssetPath(file.relative));
  if (!facts.decodable) {
    report.Line(Padded(file.name, 17) + "found, " +
                Count(static_cast<long long>(file.bytes.size()), "byte", "bytes") +
                ", but no MP3 sound in it");
    report.Warn(file.name + " has no MP3 sound the show can play: the show is silent.",
                "Save the song as an MP3 file (MPEG audio layer III) from a sound program.");
    return;
  }
  report.Line(Padded(file.name, 17) + "found: MP3, plays " + Duration(facts.seconds) + " (" +
              std::to_string(facts.sample_rate) + " Hz, " + (facts.channels == 1 ? "mono" : "stereo") +
              "), then starts again, without end");
}

void ReportFile(const ShowFile& file, Report& report) {
  switch (file.presence) {
    case Presence::Found:
      if (IsText(file.relative)) {
        CheckTextFile(file, report);
      } else if (file.relative == kSongFile) {
        CheckSong(file, report);
      } else {
        CheckPicture(file, report);
      }
      return;
    case Presence::Missing:
      report.Line(Padded(file.name, 17) + "missing");
      report.Warn(file.name + " is missing: " + WithoutIt(file.relative) + ".",
                  "Add " + file.name + ", which holds " + WhatItHolds(file.relative) + ".");
      return;
    case Presence::OtherCase:
      report.Line(Padded(file.name, 17) + "missing; there is " + file.other_case_name);
      report.Warn("There is no " + file.name + ", only " + file.other_case_name +
                      ": the show looks for the name exactly as written, capitals included, so " +
                      WithoutIt(file.relative) + ".",
                  "Rename " + file.other_case_name + " to " + file.name + ".");
      return;
    case Presence::NotAFile:
      report.Line(Padded(file.name, 17) + "not a file (a folder?)");
      report.Warn(file.name + " is not a file: " + WithoutIt(file.relative) + ".",
                  "Replace it with a file that holds " + WhatItHolds(file.relative) + ".");
      return;
    case Presence::Empty:
      report.Line(Padded(file.name, 17) + "empty");
      report.Warn(file.name + " is empty: " + WithoutIt(file.relative) + ".",
                  "It should hold " + WhatItHolds(file.relative) + ".");
      return;
    case Presence::Unreadable:
      report.Line(Padded(file.name, 17) + "cannot be read");
      report.Warn(file.name + " cannot be read: " + WithoutIt(file.relative) + ".",
                  "Let everyone read it (chmod a+r " + file.name + ").");
      return;
  }
}

void ReportTiming(Report& report) {
  const ShowState& state = ShowData();
  report.Section("Timing");
  const double painting = (kHeartPointCount - 1) * std::max(state.Delays.Painting, 0) / 1000.0;
  const double round = (kHeartPointCount - 1) * std::max(state.Delays.Flicker, 0) / 1000.0;
  report.Line("The heart is painted in " + Duration(painting) + ", a button every " +
              std::to_string(std::max(state.Delays.Painting, 0)) + " ms; then the name appears.");
  report.Line("The running light goes round the heart in " + Duration(round) + ", again and again.");
}

std::optional<std::vector<std::string>> ListFolder(const fs::path& folder, std::string& reason) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) {
    reason = error.message();
    return std::nullopt;
  }
  for (const fs::directory_entry& entry : entries) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Verdict CannotRead(const fs::path& folder, const std::string& reason, std::ostream& out) {
  out << "Cannot check the show in " << folder.string() << ": " << reason << ".\n";
  // A show folder in the wrong letter case is the commonest reason on Linux.
  std::error_code error;
  if (folder.filename() == kShowFolderName) {
    for (const auto& entry : fs::directory_iterator(folder.parent_path(), error)) {
      const std::string name = entry.path().filename().string();
      if (name != kShowFolderName && SameIgnoringCase(name, kShowFolderName) && entry.is_directory(error)) {
        out << "There is a folder " << name << " beside it: the show looks for " << kShowFolderName
            << " exactly, capitals included. Rename it to " << kShowFolderName << ".\n";
      }
    }
  }
  return Verdict::CannotRead;
}

}  // namespace

fs::path DefaultShowFolder() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return fs::path(DirectoryOfProgramFile(error ? std::string() : program.string())) / kShowFolderName;
}

Verdict CheckShow(const CheckOptions& options, std::ostream& out) {
  std::error_code error;
  fs::path folder = fs::absolute(options.folder, error).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  const fs::file_status status = fs::status(folder, error);
  if (!fs::exists(status)) return CannotRead(folder, "there is no such folder", out);
  if (!fs::is_directory(status)) return CannotRead(folder, "it is not a folder", out);
  std::string reason;
  auto listing = ListFolder(folder, reason);
  if (!listing) return CannotRead(folder, reason, out);

  const ShowFolderAccess access(folder);
  if (!access.Ready()) return CannotRead(folder, "no temporary folder could be made to read it through", out);
  if (options.fix) {
    bool fixed_any = false;
    for (const std::string_view relative : kShowFiles) {
      const ShowFile file = ExamineFile(relative, *listing);
      if (!TextNeedsFix(file)) continue;
      FixTextFile(folder, file, out);
      fixed_any = true;
    }
    if (!fixed_any) out << "Nothing to fix: the text files are GBK with CR LF line ends already.\n";
    out << '\n';
    listing = ListFolder(folder, reason);
    if (!listing) return CannotRead(folder, reason, out);
  }

  // Read again after any fix, so that the report is of the folder as it is now.
  std::vector<ShowFile> files;
  for (const std::string_view relative : kShowFiles) files.push_back(ExamineFile(relative, *listing));
  AllocateShowState();
  LoadShowAssets();

  Report report;
  report.Section("The show in " + folder.string());
  if (folder.filename() != kShowFolderName) {
    report.Line(
        "(The show reads a folder named Default beside the program: copy this one there under that name.)");
  }
  report.Line("Measured for a screen of " + std::to_string(kAssumedScreenWidth) + " x " +
              std::to_string(kAssumedScreenHeight) + " pixels, the commonest laptop screen.");

  report.Section("Files");
  for (const ShowFile& file : files) ReportFile(file, report);
  std::string unused;
  for (const std::string& name : *listing) {
    const bool used = std::any_of(files.begin(), files.end(), [&](const ShowFile& file) {
      return file.name == name || (file.presence == Presence::OtherCase && file.other_case_name == name);
    });
    if (!used) unused += (unused.empty() ? "" : ", ") + name;
  }
  if (!unused.empty()) report.Line("Not used by the show: " + unused);

  CheckSettings(FileOf(files, kConfigFile), report);
  CheckSubtitle(report);
  ReportTiming(report);
  const TextEncoding messages_encoding = ClassifyTextEncoding(AsView(FileOf(files, kMessagesFile).bytes));
  CheckMessages(messages_encoding == TextEncoding::Ascii || messages_encoding == TextEncoding::Gbk, report);
  ReleaseShowState();

  report.Print(out);
  return report.WarningCount() == 0 ? Verdict::Sound : Verdict::Warnings;
}

}  // namespace heartstage::checker
