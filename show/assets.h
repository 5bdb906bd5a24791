// Where the show's files are and how they become ShowState: the folder `Default` beside the program file,
// its settings file with defaults for everything, and the loading of every asset into the state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "show/text.h"

namespace heartstage {

// Paths relative to the program's directory, each beginning with the directory separator.
inline constexpr std::string_view kBackgroundFile = "/Default/MGH_BG.gif";
inline constexpr std::string_view kNormalPictureFile = "/Default/MGH_Default.bmp";
inline constexpr std::string_view kFocusPictureFile = "/Default/MGH_Focus.bmp";
inline constexpr std::string_view kSubtitleFile = "/Default/Subtitle.txt";
inline constexpr std::string_view kMessagesFile = "/Default/MsgBox.txt";
inline constexpr std::string_view kConfigFile = "/Default/Config.ini";
inline constexpr std::string_view kSongFile = "/Default/Music_BG.mp3";

// The name shown when the settings give none: "未导入姓名" (no name imported), in GBK.
inline constexpr std::string_view kDefaultName = "\xCE\xB4\xB5\xBC\xC8\xEB\xD0\xD5\xC3\xFB";

// Takes the directory of the program file from its real path (symbolic links resolved, not the working
// directory) and makes it the current directory. Done once, when the run time starts.
void CaptureRunDirectory();

// The directory part of a program file's path: "/opt/show" for "/opt/show/heartstage", "" for "/heartstage".
Text DirectoryOfProgramFile(std::string_view program_file);

// Sets the directory the assets are looked up in; for the checker and for tests that lay out a show.
void UseRunDirectory(std::string directory);

// The program's directory without a trailing separator: "/opt/show" for "/opt/show/heartstage", "" for a
// program in the root directory.
Text RunDirectory();

// RunDirectory followed by `relative`, which begins with the separator.
Text AssetPath(std::string_view relative);

// A setting of Default/Config.ini, read afresh at every call; `default_value` when it is not there.
Text ReadConfigText(std::string_view section, std::string_view key, std::string_view default_value);
std::int32_t ReadConfigInt(std::string_view section, std::string_view key, std::string_view default_value);

// Fills Pictures, ShowTexts, Messages and Delays of the show state from the files of Default.
void LoadShowAssets();

}  // namespace heartstage
