// The services around the windows: event passes, waits, message boxes and popup menus.
#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <chrono>
#include <thread>

#include "platform/internal.h"
#include "platform/windows.h"

namespace heartstage::platform {

using namespace internal;

void LetPendingEventsThrough() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitMilliseconds(std::int32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, milliseconds)));
}

void ShowMessageBox(const Text& message, const Text& title) {
  QMessageBox box(QMessageBox::NoIcon, ShowTextToQString(title), ShowTextToQString(message), QMessageBox::Ok,
                  nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
  // Messages are the show's own words: markup in them is shown, never interpreted.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  // Above the always-on-top stage; the constructor's flags do not survive QMessageBox's own set-up.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setIcon(QIcon());
  const QPointer<QWidget> active = QApplication::activeWindow();
  box.exec();
  // Without a window manager nobody gives the keyboard back to the stage, and Esc would go nowhere.
  if (active && active->isVisible()) active->activateWindow();
}

void PopupMenu(ControlRef menu, std::int32_t x, std::int32_t y) {
  WindowRecord* window = FindWindow(menu.Window);
  const ControlRecord* menu_record = FindRecord(menu);
  if (!window || !menu_record) return;
  QMenu popup(window->widget.data());
  for (const auto& [identifier, item] : window->controls) {
    if (item.kind != ControlKind::MenuItem || item.form->container != menu_record->form->name) continue;
    QAction* action = popup.addAction(ShowTextToQString(item.form->caption));
    action->setData(identifier);
  }
  const QPointer<QWidget> active = QApplication::activeWindow();
  const QAction* chosen = popup.exec(QPoint(x, y));
  if (active && active->isVisible()) active->activateWindow();
  if (chosen) RaiseEvent(menu.Window, chosen->data().toUInt(), Event::Chosen);
}

ScreenPoint CursorPosition() {
  const QPoint position = QCursor::pos();
  return {position.x(), position.y()};
}

}  // namespace heartstage::platform
