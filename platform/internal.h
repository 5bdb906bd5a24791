// What the files of the platform layer share among themselves: the registry of windows and controls, the
// widgets that draw the controls, and the conversions between the show's values and Qt's.
// Not for use outside platform/.
#pragma once

#include <QBitmap>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "platform/controls.h"
#include "platform/forms.h"
#include "show/state.h"

namespace heartstage::platform::internal {

// GBK bytes as they are shown, decoded as GB18030 (a superset of GBK).
QString ShowTextToQString(const Text& text);

// 0x00BBGGRR to a Qt colour.
QColor ShowColor(Color color);

// The form's face if installed, else a Song-style Chinese face, else any face with Chinese characters.
QFont ShowFont(const FontForm& form);

// How far apart the subtitle label lays its lines: the font's full height and a little. The Chinese faces
// found on Linux report a line spacing at or below their glyphs' height, which makes lines touch; a show
// counts 21 pixels a line, which leaves room for it.
inline int SubtitleLineStep(const QFontMetrics& metrics) {
  return std::max(metrics.height(), metrics.lineSpacing()) + 2;
}

// A decoded still picture and, for a transparent colour, the shape of its pixels that differ from it.
struct DecodedPicture {
  QImage image;
};
// Decodes a picture file's bytes; decoded pictures are kept so the same bytes are decoded once.
// Null when the bytes are empty or not a picture.
std::shared_ptr<const DecodedPicture> DecodePicture(const ByteBuffer& bytes);
// The picture's pixels that differ from `key`; cached with the picture.
QBitmap ShapeWithout(const std::shared_ptr<const DecodedPicture>& picture, Color key);

struct ControlRecord {
  ControlKind kind = ControlKind::PictureBox;
  std::uint32_t window = 0;
  std::uint32_t identifier = 0;
  const ControlForm* form = nullptr;  // points into the window's form
  // The control whose handlers this one runs: itself, or the original of a copy.
  std::uint32_t handlers_of = 0;
  QPointer<QWidget> widget;  // none for menus and menu items
  Text tag;
};

class StageWindow;

struct WindowRecord {
  std::uint32_t identifier = 0;
  std::unique_ptr<WindowForm> form;
  QPointer<StageWindow> widget;
  std::map<std::uint32_t, ControlRecord> controls;
  std::uint32_t last_control = 0;
  bool always_on_top = false;
  bool esc_closes = false;
  bool destroying = false;
  std::int32_t extended_style = 0;
  std::optional<Color> color_key;
  bool shape_update_queued = false;
};

WindowRecord* FindWindow(std::uint32_t window);
ControlRecord* FindRecord(ControlRef control);

// Runs the handler bound to `event` of the control (or of the control it was copied from), reporting the
// control as the source of the event. Dropped once an ending has begun.
void RaiseEvent(std::uint32_t window, std::uint32_t control, Event event);

// Called by a window's widget when it has been asked to close and will go: runs its about-to-be-destroyed
// handler, and the window counts as gone from then on.
void WindowClosing(std::uint32_t window);

// Called by a window's widget as it goes: runs its about-to-be-destroyed handler once, forgets it, and ends
// the event loop when it was the last window.
void WindowGoing(std::uint32_t window);

// Tells a colour-keyed window that what it shows has changed, so its shape is derived again at the next
// event pass (once, however many changes come before it).
void ContentChanged(std::uint32_t window);

// Puts the always-on-top windows back above the others, in case a window manager does not.
void RaiseTopmostWindows();

// Builds the widget of a control from its form.
QWidget* MakeControlWidget(const ControlForm& form, std::uint32_t window, std::uint32_t control,
                           QWidget* container);

// The widgets, as far as the other files need to know them.
class StageWindow : public QWidget {
 public:
  StageWindow(std::uint32_t identifier, const WindowForm& form);
  ~StageWindow() override;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::uint32_t identifier_;
  bool activated_once_ = false;
};

// Implemented by the widgets of every kind that shows pictures or text.
void SetPicture(QWidget* widget, ControlKind kind, int number, const ByteBuffer& picture);
void SetCaption(QWidget* widget, ControlKind kind, const Text& caption);
void SetTextColor(QWidget* widget, ControlKind kind, Color color);
Color TextColorOf(QWidget* widget, ControlKind kind);
Text CaptionOf(QWidget* widget, ControlKind kind);
void SetTransparentColor(QWidget* widget, Color color);
Color TransparentColorOf(QWidget* widget);

}  // namespace heartstage::platform::internal
