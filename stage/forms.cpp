#include "stage/forms.h"

#include "stage/input.h"
#include "stage/main_window.h"
#include "stage/sequence.h"
#include "stage/subtitle.h"

namespace heartstage::stage {

using platform::ControlForm;
using platform::ControlKind;
using platform::Event;

namespace {

// Captions are texts of the show's code page; these are "菜单", "退出程序", "透明标签" and "标签" in GBK.
constexpr std::string_view kMenuCaption = "\xB2\xCB\xB5\xA5";
constexpr std::string_view kExitCaption = "\xCD\xCB\xB3\xF6\xB3\xCC\xD0\xF2";
constexpr std::string_view kNameLabelCaption = "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9";
constexpr std::string_view kSubtitleLabelCaption = "\xB1\xEA\xC7\xA9";

constexpr platform::FontForm SongFont(int pixel_height) {
  return {"宋体", pixel_height, 700};
}

}  // namespace

platform::WindowForm MainWindowForm() {
  platform::WindowForm form;
  form.name = "MainWindow";
  form.width = 380;
  form.height = 250;

  ControlForm menu = platform::PlacedControl(ControlKind::Menu, kMenu, "", 0, 0, 0, 0, false);
  menu.caption = kMenuCaption;
  ControlForm exit_item = platform::PlacedControl(ControlKind::MenuItem, kExitItem, kMenu, 0, 0, 0, 0, true);
  exit_item.caption = kExitCaption;

  ControlForm background =
      platform::PlacedControl(ControlKind::PictureBox, kBackground, "", 56, 40, 240, 136, true);
  background.background = 0xC0C0C0;

  ControlForm name = platform::PlacedControl(ControlKind::TransparentLabel, kNameLabel, kBackground, -32, 40,
                                             344, 32, false);
  name.caption = kNameLabelCaption;
  name.text_color = 0x00FF8800;
  name.font = SongFont(14);

  ControlForm button = platform::PlacedControl(ControlKind::PictureButton, kFirstHeartButton, kBackground, 56,
                                               8, kHeartButtonSize, kHeartButtonSize, false);
  button.tag = "1";
  button.transparent_color = platform::kNoColor;

  form.controls = {menu, exit_item, background, name, button};
  form.bindings = {
      {"", Event::Created, OnMainWindowCreated},
      {"", Event::FirstActivated, RunShowSequence},
      {"", Event::Destroying, OnMainWindowDestroying},
      {std::string(kBackground), Event::LeftDoubleClicked, OnBackgroundDoubleClicked},
      {std::string(kBackground), Event::RightReleased, OnBackgroundRightReleased},
      {std::string(kFirstHeartButton), Event::Clicked, OnHeartButtonClicked},
      {std::string(kExitItem), Event::Chosen, OnExitChosen},
  };
  return form;
}

platform::WindowForm SubtitleWindowForm() {
  platform::WindowForm form;
  form.name = "SubtitleWindow";
  form.width = 380;
  form.height = 250;
  form.always_on_top = true;
  // The overlay never takes the keyboard from the stage beneath it.
  form.takes_focus = false;

  ControlForm label = platform::PlacedControl(ControlKind::Label, kSubtitleLabel, "", 0, 0, 384, 250, true);
  label.caption = kSubtitleLabelCaption;
  label.text_color = 0x00FF8800;
  label.background = 0x00FF00FF;
  label.font = SongFont(16);
  form.controls = {label};
  form.bindings = {{"", Event::Created, OnSubtitleWindowCreated}};
  return form;
}

}  // namespace heartstage::stage
