#include "show/assets.h"

#include <filesystem>
#include <system_error>

#include "show/profile.h"
#include "show/state.h"

namespace heartstage {
namespace {

std::string run_directory;

std::string ProgramFilePath() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

}  // namespace

Text DirectoryOfProgramFile(std::string_view program_file) {
  const auto separator = program_file.rfind('/');
  return Text(program_file.substr(0, separator == std::string_view::npos ? 0 : separator));
}

void CaptureRunDirectory() {
  const std::string program = ProgramFilePath();
  UseRunDirectory(DirectoryOfProgramFile(program));
  // The assets are always reached through absolute paths, so a directory we cannot enter changes nothing.
  std::error_code ignored;
  if (!program.empty()) std::filesystem::current_path(run_directory.empty() ? "/" : run_directory, ignored);
}

void UseRunDirectory(std::string directory) {
  run_directory = std::move(directory);
}

Text RunDirectory() {
  return run_directory;
}

Text AssetPath(std::string_view relative) {
  return JoinTexts({run_directory, relative});
}

Text ReadConfigText(std::string_view section, std::string_view key, std::string_view default_value) {
  return ReadProfileString(AssetPath(kConfigFile), section, key, default_value);
}

std::int32_t ReadConfigInt(std::string_view section, std::string_view key, std::string_view default_value) {
  return TextToInt(ReadConfigText(section, key, default_value));
}

void LoadShowAssets() {
  ShowState& state = ShowData();
  state.Pictures.Background = ReadAssetFile(AssetPath(kBackgroundFile));
  state.Pictures.Normal = ReadAssetFile(AssetPath(kNormalPictureFile));
  state.Pictures.Focus = ReadAssetFile(AssetPath(kFocusPictureFile));
  state.ShowTexts.Subtitle = BytesToText(ReadAssetFile(AssetPath(kSubtitleFile)));
  state.ShowTexts.Name = ReadConfigText("Love", "Name", kDefaultName);
  state.ShowTexts.Color = ReadConfigInt("Color", "Color", "255");
  state.Messages = ShowList<Text>(SplitText(BytesToText(ReadAssetFile(AssetPath(kMessagesFile))), kCrLf));
  state.Delays.Subtitle = ReadConfigInt("Delay", "Subtitle", "10");
  state.Delays.Flicker = ReadConfigInt("Delay", "Flicker", "200");
  state.Delays.Painting = ReadConfigInt("Delay", "Painting", "300");
}

}  // namespace heartstage
