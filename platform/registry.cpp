// The program's windows and controls by identifier, their numbered properties, copies and events.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "platform/dispatch.h"
#include "platform/internal.h"
#include "platform/ui_thread.h"
#include "platform/windows.h"

namespace heartstage::platform {
namespace internal {
namespace {

std::map<std::uint32_t, WindowRecord> windows;
std::uint32_t last_window = 0;

bool event_loop_running = false;

ControlRef event_source;
ControlKind event_source_kind = ControlKind::Window;

std::int32_t Clamp(std::int32_t value, std::int32_t low) {
  return std::clamp(value, low, kPlaceLimit);
}

QWidget* ContainerWidget(WindowRecord& window, const std::string& container) {
  if (container.empty()) return window.widget.data();
  const ControlRef found = FindControl(window.identifier, container);
  const ControlRecord* record = FindRecord(found);
  return record && record->widget ? record->widget.data() : window.widget.data();
}

QWidget* WidgetOf(ControlRef control) {
  if (control.Control == 0) {
    WindowRecord* window = FindWindow(control.Window);
    return window ? window->widget.data() : nullptr;
  }
  ControlRecord* record = FindRecord(control);
  return record ? record->widget.data() : nullptr;
}

}  // namespace

WindowRecord* FindWindow(std::uint32_t window) {
  auto found = windows.find(window);
  return found == windows.end() || found->second.destroying ? nullptr : &found->second;
}

ControlRecord* FindRecord(ControlRef control) {
  WindowRecord* window = FindWindow(control.Window);
  if (!window) return nullptr;
  auto found = window->controls.find(control.Control);
  return found == window->controls.end() ? nullptr : &found->second;
}

void RaiseEvent(std::uint32_t window, std::uint32_t control, Event event) {
  WindowRecord* record = FindWindow(window);
  if (!record) return;
  std::string_view name;
  ControlKind kind = ControlKind::Window;
  if (control != 0) {
    ControlRecord* source = FindRecord({window, control});
    ControlRecord* bound = source ? FindRecord({window, source->handlers_of}) : nullptr;
    if (!bound) return;
    name = bound->form->name;
    kind = source->kind;
  }
  for (const EventBinding& binding : record->form->bindings) {
    if (binding.event != event || binding.control != name) continue;
    const ControlRef outer_source = event_source;
    const ControlKind outer_kind = event_source_kind;
    event_source = {window, control};
    event_source_kind = kind;
    RunHandler(binding.handler);
    event_source = outer_source;
    event_source_kind = outer_kind;
    return;
  }
}

void WindowClosing(std::uint32_t window) {
  auto found = windows.find(window);
  if (found == windows.end() || found->second.destroying) return;
  // The handler may still address the window's controls; from then on the window counts as gone, even
  // while its widget waits to be deleted.
  RaiseEvent(window, 0, Event::Destroying);
  found = windows.find(window);
  if (found != windows.end()) found->second.destroying = true;
}

void WindowGoing(std::uint32_t window) {
  WindowClosing(window);
  auto found = windows.find(window);
  if (found == windows.end()) return;
  windows.erase(found);
  // The event loop runs while any window of the program is open. Asking a loop that does not run to end
  // would make the next modal loop (a message box) return at once.
  if (windows.empty() && event_loop_running) QCoreApplication::exit(0);
}

namespace {

// Nothing of the window is drawn or takes the mouse. An empty region would mean no shape at all to Qt, so the
// shape is one pixel outside the window, which leaves nothing inside it.
const QRegion kNothing(-1, -1, 1, 1);

void DeriveShape(std::uint32_t window) {
  WindowRecord* record = FindWindow(window);
  if (!record || !record->widget) return;
  record->shape_update_queued = false;
  if (!record->color_key) {
    record->widget->clearMask();
    return;
  }
  const QImage content = record->widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRegion shown(
      QBitmap::fromImage(content.createMaskFromColor(ShowColor(*record->color_key).rgb(), Qt::MaskInColor)));
  record->widget->setMask(shown.isEmpty() ? kNothing : shown);
}

}  // namespace

void ContentChanged(std::uint32_t window) {
  WindowRecord* record = FindWindow(window);
  if (!record || !record->color_key || record->shape_update_queued) return;
  record->shape_update_queued = true;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [window] { DeriveShape(window); }, Qt::QueuedConnection);
}

void RaiseTopmostWindows() {
  for (auto& [identifier, window] : windows) {
    if (window.always_on_top && window.widget && window.widget->isVisible()) window.widget->raise();
  }
}

}  // namespace internal

using namespace internal;

namespace {

// A press on one of our windows that take the keyboard makes it the active window, as a window manager's
// click-to-focus would: without one, the keyboard stays wherever a closed box or menu left it, and Esc
// would reach nothing.
class ClickToFocus : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType()) return false;
    QWidget* top = static_cast<QWidget*>(watched)->window();
    for (auto& [identifier, window] : windows) {
      if (window.widget == top && window.form->takes_focus && !top->isActiveWindow()) top->activateWindow();
    }
    return false;
  }
};

}  // namespace

std::uint32_t OpenWindow(const WindowForm& form, std::uint32_t* identifier_out) {
  static ClickToFocus* click_to_focus = [] {
    auto* filter = new ClickToFocus;
    QCoreApplication::instance()->installEventFilter(filter);
    return filter;
  }();
  (void)click_to_focus;
  const std::uint32_t identifier = ++last_window;
  WindowRecord& window = windows[identifier];
  window.identifier = identifier;
  window.form = std::make_unique<WindowForm>(form);
  window.always_on_top = form.always_on_top;
  window.esc_closes = form.esc_closes;
  auto* widget = new StageWindow(identifier, *window.form);
  window.widget = widget;

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  widget->setGeometry(screen.x() + (screen.width() - form.width) / 2,
                      screen.y() + (screen.height() - form.height) / 2, form.width, form.height);
  // Containers come before what they contain in the form.
  for (const ControlForm& control : window.form->controls) {
    const std::uint32_t control_identifier = ++window.last_control;
    ControlRecord& record = window.controls[control_identifier];
    record.kind = control.kind;
    record.window = identifier;
    record.identifier = control_identifier;
    record.form = &control;
    record.handlers_of = control_identifier;
    record.tag = control.tag;
    record.widget = MakeControlWidget(control, identifier, control_identifier,
                                      ContainerWidget(window, control.container));
  }
  *identifier_out = identifier;

  RaiseEvent(identifier, 0, Event::Created);

  WindowRecord* opened = FindWindow(identifier);
  if (opened && form.visible && !opened->widget->isVisible())
    WriteBool(WindowControl(identifier), property::Visible, true);
  return identifier;
}

ControlRef WindowControl(std::uint32_t window) {
  return {window, 0};
}

void RunEventLoopWhileWindowsAreOpen() {
  if (OpenWindowCount() == 0) return;
  event_loop_running = true;
  QApplication::exec();
  event_loop_running = false;
}

std::int32_t OpenWindowCount() {
  return static_cast<std::int32_t>(std::count_if(windows.begin(), windows.end(),
                                                 [](const auto& entry) { return !entry.second.destroying; }));
}

void DestroyWindow(std::uint32_t window) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [window] {
        if (WindowRecord* record = FindWindow(window); record && record->widget) delete record->widget.data();
      },
      Qt::QueuedConnection);
}

void HideAllWindowsForEnding() {
  for (auto& [identifier, window] : windows) {
    if (window.widget) window.widget->hide();
  }
}

std::uintptr_t SystemHandle(std::uint32_t window) {
  WindowRecord* record = FindWindow(window);
  return record && record->widget ? static_cast<std::uintptr_t>(record->widget->winId()) : 0;
}

ControlRef FindControl(std::uint32_t window, std::string_view name) {
  WindowRecord* record = FindWindow(window);
  if (!record) return {};
  for (const auto& [identifier, control] : record->controls) {
    if (control.form->name == name && control.handlers_of == identifier) return {window, identifier};
  }
  return {};
}

ControlKind KindOf(ControlRef control) {
  if (control.Control == 0) return ControlKind::Window;
  const ControlRecord* record = FindRecord(control);
  return record ? record->kind : ControlKind::Window;
}

bool ControlExists(ControlRef control) {
  return control.Control == 0 ? FindWindow(control.Window) != nullptr : FindRecord(control) != nullptr;
}

void WriteInt(ControlRef control, int number, std::int32_t value) {
  RunOnUserInterfaceThreadAndWait([&] {
    QWidget* widget = WidgetOf(control);
    if (!widget) return;
    const ControlKind kind = KindOf(control);
    switch (number) {
      case property::Left:
        MoveControl(control, {.left = value});
        return;
      case property::Top:
        MoveControl(control, {.top = value});
        return;
      case property::Width:
        MoveControl(control, {.width = value});
        return;
      case property::Height:
        MoveControl(control, {.height = value});
        return;
      case property::Visible:
        WriteBool(control, number, value != 0);
        return;
      default:
        break;
    }
    const auto color = static_cast<Color>(value);
    if ((kind == ControlKind::Label && number == property::LabelTextColor) ||
        (kind == ControlKind::TransparentLabel && number == property::TransparentLabelTextColor)) {
      SetTextColor(widget, kind, color);
    } else if (kind == ControlKind::PictureButton && number == property::TransparentColor) {
      SetTransparentColor(widget, color);
    } else {
      return;
    }
    ContentChanged(control.Window);
  });
}

std::int32_t ReadInt(ControlRef control, int number) {
  std::int32_t value = 0;
  RunOnUserInterfaceThreadAndWait([&] {
    QWidget* widget = WidgetOf(control);
    if (!widget) return;
    const ControlKind kind = KindOf(control);
    switch (number) {
      case property::Left:
        value = widget->x();
        return;
      case property::Top:
        value = widget->y();
        return;
      case property::Width:
        value = widget->frameGeometry().width();
        return;
      case property::Height:
        value = widget->frameGeometry().height();
        return;
      case property::Visible:
        value = widget->isVisible() ? 1 : 0;
        return;
      default:
        break;
    }
    if ((kind == ControlKind::Label && number == property::LabelTextColor) ||
        (kind == ControlKind::TransparentLabel && number == property::TransparentLabelTextColor)) {
      value = static_cast<std::int32_t>(TextColorOf(widget, kind));
    } else if (kind == ControlKind::PictureButton && number == property::TransparentColor) {
      value = static_cast<std::int32_t>(TransparentColorOf(widget));
    } else if (kind == ControlKind::Window && number == property::EscCloses) {
      value = FindWindow(control.Window)->esc_closes ? 1 : 0;
    } else if (kind == ControlKind::Window && number == property::AlwaysOnTop) {
      value = FindWindow(control.Window)->always_on_top ? 1 : 0;
    }
  });
  return value;
}

void WriteBool(ControlRef control, int number, bool value) {
  RunOnUserInterfaceThreadAndWait([&] {
    QWidget* widget = WidgetOf(control);
    if (!widget) return;
    if (number == property::Visible) {
      if (control.Control == 0 && value) {
        WindowRecord* window = FindWindow(control.Window);
        widget->show();
        // Without a window manager a shown window is never activated by itself.
        if (window->form->takes_focus) widget->activateWindow();
        RaiseTopmostWindows();
      } else {
        widget->setVisible(value);
        ContentChanged(control.Window);
      }
      return;
    }
    if (control.Control != 0) return;
    WindowRecord* window = FindWindow(control.Window);
    if (number == property::EscCloses) {
      window->esc_closes = value;
    } else if (number == property::AlwaysOnTop) {
      window->always_on_top = value;
      // Through the native window: QWidget::setWindowFlag would hide and re-map the window.
      if (QWindow* native = widget->windowHandle()) native->setFlag(Qt::WindowStaysOnTopHint, value);
      if (value) RaiseTopmostWindows();
    }
  });
}

bool ReadBool(ControlRef control, int number) {
  return ReadInt(control, number) != 0;
}

void WriteText(ControlRef control, int number, const Text& value) {
  RunOnUserInterfaceThreadAndWait([&] {
    ControlRecord* record = FindRecord(control);
    if (number == property::Tag) {
      if (record) record->tag = value;
      return;
    }
    if (record && record->widget && number == property::Caption)
      SetCaption(record->widget, record->kind, value);
  });
}

Text ReadText(ControlRef control, int number) {
  Text value;
  RunOnUserInterfaceThreadAndWait([&] {
    ControlRecord* record = FindRecord(control);
    if (!record) return;
    if (number == property::Tag) value = record->tag;
    if (number == property::Caption && record->widget) value = CaptionOf(record->widget, record->kind);
  });
  return value;
}

void WritePicture(ControlRef control, int number, const ByteBuffer& picture) {
  RunOnUserInterfaceThreadAndWait([&] {
    ControlRecord* record = FindRecord(control);
    if (record && record->widget) {
      SetPicture(record->widget, record->kind, number, picture);
      ContentChanged(control.Window);
    }
  });
}

void MoveControl(ControlRef control, const Placement& placement) {
  RunOnUserInterfaceThreadAndWait([&] {
    QWidget* widget = WidgetOf(control);
    if (!widget) return;
    const QRect current = widget->geometry();
    const QRect wanted(placement.left ? Clamp(*placement.left, -kPlaceLimit) : current.x(),
                       placement.top ? Clamp(*placement.top, -kPlaceLimit) : current.y(),
                       placement.width ? Clamp(*placement.width, 0) : current.width(),
                       placement.height ? Clamp(*placement.height, 0) : current.height());
    if (wanted == current) return;
    widget->setGeometry(wanted);
    // A window that only moves shows the same content; anything else changes what it shows.
    if (control.Control != 0 || wanted.size() != current.size()) ContentChanged(control.Window);
  });
}

ControlRef CopyControl(ControlRef original) {
  ControlRef copy;
  RunOnUserInterfaceThreadAndWait([&] {
    WindowRecord* window = FindWindow(original.Window);
    ControlRecord* source = FindRecord(original);
    if (!window || !source || !source->widget) return;
    const std::uint32_t identifier = ++window->last_control;
    ControlRecord record = *source;
    record.identifier = identifier;
    record.tag = source->form->tag;
    record.widget =
        MakeControlWidget(*source->form, original.Window, identifier, source->widget->parentWidget());
    if (!record.widget) return;
    record.widget->stackUnder(source->widget);
    window->controls[identifier] = record;
    copy = {original.Window, identifier};
  });
  return copy;
}

ControlRef EventSource() {
  return event_source;
}

ControlKind EventSourceKind() {
  return event_source_kind;
}

namespace {

WindowRecord* WindowWithHandle(std::uintptr_t handle) {
  for (auto& [identifier, window] : windows) {
    if (!window.destroying && window.widget &&
        static_cast<std::uintptr_t>(window.widget->winId()) == handle) {
      return &window;
    }
  }
  return nullptr;
}

}  // namespace

std::int32_t GetWindowLong(std::uintptr_t handle, std::int32_t index) {
  const WindowRecord* window = WindowWithHandle(handle);
  return window && index == GWL_EXSTYLE ? window->extended_style : 0;
}

std::int32_t SetWindowLong(std::uintptr_t handle, std::int32_t index, std::int32_t value) {
  WindowRecord* window = WindowWithHandle(handle);
  if (!window || index != GWL_EXSTYLE) return 0;
  const std::int32_t previous = window->extended_style;
  window->extended_style = value;
  if (!(value & WS_EX_LAYERED) && window->color_key) {
    window->color_key.reset();
    DeriveShape(window->identifier);
  }
  return previous;
}

std::int32_t SetLayeredWindowAttributes(std::uintptr_t handle, Color key, std::uint8_t alpha,
                                        std::uint32_t flags) {
  WindowRecord* window = WindowWithHandle(handle);
  if (!window || !(window->extended_style & WS_EX_LAYERED)) return 0;
  if (flags & LWA_ALPHA) window->widget->setWindowOpacity(alpha / 255.0);
  if (flags & LWA_COLORKEY) {
    window->color_key = key;
    // Nothing shows until the content has been rendered once and its shape derived.
    window->widget->setMask(kNothing);
    ContentChanged(window->identifier);
  } else if (window->color_key) {
    window->color_key.reset();
    DeriveShape(window->identifier);
  }
  return 1;
}

ScreenDimensions PrimaryScreenSize() {
  const QSize size = QGuiApplication::primaryScreen()->size();
  return {size.width(), size.height()};
}

}  // namespace heartstage::platform
