#include "platform/windows.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <map>

#include "platform/dispatch.h"

namespace heartstage::platform {
namespace {

class StageWindow;

std::map<std::uint32_t, QPointer<StageWindow>> open_windows;
std::uint32_t last_window_identifier = 0;

class StageWindow : public QWidget {
 public:
  StageWindow(std::uint32_t identifier, const WindowForm& form)
      : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), identifier_(identifier), form_(form) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::fromStdString(form.name));
  }

  ~StageWindow() override {
    open_windows.erase(identifier_);
    // The event loop runs while any window of the program is open.
    if (open_windows.empty()) QCoreApplication::exit(0);
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && !activated_once_) {
      activated_once_ = true;
      // Run after the activation has been delivered, so a long handler does not hold the event up.
      QMetaObject::invokeMethod(
          this, [this] { RunHandler(form_.on_first_activated); }, Qt::QueuedConnection);
    }
    return QWidget::event(event);
  }

  void closeEvent(QCloseEvent* event) override {
    event->accept();
    if (!destroying_) {
      destroying_ = true;
      RunHandler(form_.on_destroying);
    }
  }

 private:
  std::uint32_t identifier_;
  WindowForm form_;
  bool activated_once_ = false;
  bool destroying_ = false;
};

QWidget* FindWidget(ControlRef control) {
  auto found = open_windows.find(control.Window);
  if (found == open_windows.end() || !found->second) return nullptr;
  return control.Control == 0 ? found->second.data() : nullptr;
}

}  // namespace

std::uint32_t OpenWindow(const WindowForm& form, std::uint32_t* identifier_out) {
  const std::uint32_t identifier = ++last_window_identifier;
  auto* window = new StageWindow(identifier, form);
  open_windows[identifier] = window;
  *identifier_out = identifier;

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  window->setGeometry(screen.x() + (screen.width() - form.width) / 2,
                      screen.y() + (screen.height() - form.height) / 2, form.width, form.height);
  RunHandler(form.on_created);

  if (form.visible && open_windows.count(identifier)) {
    window->show();
    // Without a window manager a shown window is never activated by itself.
    window->activateWindow();
  }
  return identifier;
}

ControlRef WindowControl(std::uint32_t window) {
  return {window, 0};
}

std::int32_t OpenWindowCount() {
  return static_cast<std::int32_t>(open_windows.size());
}

void MoveControl(ControlRef control, std::optional<std::int32_t> left, std::optional<std::int32_t> top,
                 std::optional<std::int32_t> width, std::optional<std::int32_t> height) {
  QWidget* widget = FindWidget(control);
  if (!widget) return;
  const QRect current = widget->geometry();
  const QRect wanted(left.value_or(current.x()), top.value_or(current.y()), width.value_or(current.width()),
                     height.value_or(current.height()));
  if (wanted != current) widget->setGeometry(wanted);
}

ScreenDimensions PrimaryScreenSize() {
  const QSize size = QGuiApplication::primaryScreen()->size();
  return {size.width(), size.height()};
}

void DestroyWindow(ControlRef window) {
  if (QWidget* widget = FindWidget(window)) widget->deleteLater();
}

void HideAllWindowsForEnding() {
  for (auto& [identifier, window] : open_windows) {
    if (window) window->hide();
  }
}

}  // namespace heartstage::platform
