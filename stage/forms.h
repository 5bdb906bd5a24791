// The forms of the stage's two windows: MainWindow, the full-screen stage, and SubtitleWindow, the
// colour-keyed overlay the subtitle rolls up on. Each control's kind, name, container, place, size and
// initial settings, and which handler each event runs.
#pragma once

#include <string_view>

#include "platform/forms.h"

namespace heartstage::stage {

// The controls' names in the forms.
inline constexpr std::string_view kMenu = "菜单";
inline constexpr std::string_view kExitItem = "退出程序";
inline constexpr std::string_view kBackground = "图片框_背景";
inline constexpr std::string_view kNameLabel = "透明标签_姓名";
inline constexpr std::string_view kFirstHeartButton = "图形按钮1";
inline constexpr std::string_view kSubtitleLabel = "标签1";

// The size of every heart button.
inline constexpr int kHeartButtonSize = 100;

platform::WindowForm MainWindowForm();
platform::WindowForm SubtitleWindowForm();

}  // namespace heartstage::stage
