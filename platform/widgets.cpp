// The widgets that draw the controls of the forms.
#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QTextLayout>

#include "platform/dispatch.h"
#include "platform/internal.h"

namespace heartstage::platform::internal {
namespace {

// Raises the events of a control of a form; the widget knows which control it stands for.
class ControlIdentity {
 public:
  ControlIdentity(std::uint32_t window, std::uint32_t control) : window_(window), control_(control) {}
  void Raise(Event event) const { RaiseEvent(window_, control_, event); }

 private:
  std::uint32_t window_;
  std::uint32_t control_;
};

class PictureBoxWidget : public QWidget {
 public:
  PictureBoxWidget(const ControlForm& form, std::uint32_t window, std::uint32_t control, QWidget* parent)
      : QWidget(parent), identity_(window, control), background_(form.background) {}

  void SetPicture(const ByteBuffer& bytes) {
    movie_.reset();
    buffer_.reset();
    still_ = QImage();
    if (!bytes.empty()) {
      bytes_ = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
      buffer_ = std::make_unique<QBuffer>(&bytes_);
      buffer_->open(QIODevice::ReadOnly);
      QImageReader reader(buffer_.get());
      if (reader.supportsAnimation() && reader.imageCount() != 1) {
        buffer_->seek(0);
        movie_ = std::make_unique<QMovie>(buffer_.get());
        movie_->setCacheMode(QMovie::CacheAll);
        QObject::connect(movie_.get(), &QMovie::frameChanged, this, [this] { FrameChanged(); });
        movie_->start();
      } else {
        buffer_->seek(0);
        still_ = reader.read();
        buffer_.reset();
      }
    }
    FrameChanged();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.fillRect(event->rect(),
                     background_ == kNoColor ? palette().window().color() : ShowColor(background_));
    if (!scaled_.isNull()) painter.drawPixmap(event->rect(), scaled_, event->rect());
  }

  void resizeEvent(QResizeEvent*) override { FrameChanged(); }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) identity_.Raise(Event::LeftDoubleClicked);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) identity_.Raise(Event::RightReleased);
  }

 private:
  // The frame is stretched once when it changes, not at every paint.
  void FrameChanged() {
    const QImage frame = movie_ ? movie_->currentImage() : still_;
    scaled_ = frame.isNull() || width() <= 0 || height() <= 0
                  ? QPixmap()
                  : QPixmap::fromImage(frame.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    update();
  }

  ControlIdentity identity_;
  Color background_;
  QByteArray bytes_;
  std::unique_ptr<QBuffer> buffer_;
  std::unique_ptr<QMovie> movie_;
  QImage still_;
  QPixmap scaled_;
};

class LabelWidget : public QWidget {
 public:
  LabelWidget(const ControlForm& form, bool transparent, QWidget* parent)
      : QWidget(parent),
        transparent_(transparent),
        caption_(form.caption),
        text_(ShownPart(form.caption)),
        color_(form.text_color),
        background_(form.background) {
    QFont font = ShowFont(form.font);
    // The subtitle label is drawn on the key colour of a colour-keyed window: blended edge pixels would
    // be neither key nor text and show as a fringe, so its letters are drawn without antialiasing.
    if (!transparent_) font.setStyleStrategy(QFont::NoAntialias);
    setFont(font);
    // The name lies on the background picture; double-clicks and right-clicks on it are the background's.
    if (transparent_) setAttribute(Qt::WA_TransparentForMouseEvents);
  }

  void SetCaption(const Text& caption) {
    caption_ = caption;
    text_ = ShownPart(caption);
    update();
  }
  const Text& Caption() const { return caption_; }
  void SetColor(Color color) {
    color_ = color;
    update();
  }
  Color TextColor() const { return color_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (!transparent_) {
      painter.fillRect(rect(), background_ == kNoColor ? palette().window().color() : ShowColor(background_));
    }
    painter.setPen(ShowColor(color_));
    painter.setFont(font());
    if (transparent_) {
      painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text_);
    } else {
      DrawWrappedLines(painter);
    }
  }

 private:
  // A label never shows more than a screenful, however long its caption (a subtitle file may be huge):
  // only the caption's start is decoded and laid out. Half a megabyte is more lines than a 4K screen holds.
  static QString ShownPart(const Text& caption) {
    constexpr std::size_t kMostShown = 512 * 1024;
    return ShowTextToQString(caption.size() <= kMostShown ? caption : caption.substr(0, kMostShown));
  }

  // Broken into lines at the label's width, every line centred, laid out from the top edge downward.
  // Lines step by the font's full height and a little: the Chinese faces found on Linux report a line
  // spacing at or below their glyphs' height, which makes the lines of a subtitle touch. A show counts
  // 21 pixels a line, which leaves room for it.
  static constexpr int kLeading = 2;
  void DrawWrappedLines(QPainter& painter) const {
    const QFontMetrics metrics(font());
    const int line_step = std::max(metrics.height(), metrics.lineSpacing()) + kLeading;
    int top = 0;
    for (QStringView paragraph : QStringView(text_).split(u"\r\n")) {
      QTextLayout layout(paragraph.toString(), font());
      QTextOption option(Qt::AlignHCenter);
      option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
      layout.setTextOption(option);
      layout.beginLayout();
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        line.setPosition(QPointF(0, top));
        top += line_step;
      }
      layout.endLayout();
      layout.draw(&painter, QPointF(0, 0));
      if (top > height()) return;
    }
  }

  bool transparent_;
  Text caption_;
  QString text_;
  Color color_;
  Color background_;
};

class PictureButtonWidget : public QAbstractButton {
 public:
  PictureButtonWidget(const ControlForm& form, std::uint32_t window, std::uint32_t control, QWidget* parent)
      : QAbstractButton(parent), identity_(window, control), transparent_color_(form.transparent_color) {
    // The stage's keys (Esc) belong to the window.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    QObject::connect(this, &QAbstractButton::clicked, this, [this] { identity_.Raise(Event::Clicked); });
  }

  void SetPicture(int number, const ByteBuffer& bytes) {
    const auto decoded = DecodePicture(bytes);
    if (number == property::NormalPicture) normal_ = decoded;
    if (number == property::HotPicture) hot_ = decoded;
    if (number == property::PressedPicture) pressed_ = decoded;
    // A write to the picture of another state than the current one changes nothing on screen.
    if (number == property::NormalPicture || PictureNumberOf(state_) == number) Refresh();
  }

  void SetTransparentColor(Color color) {
    if (color == transparent_color_) return;
    transparent_color_ = color;
    Refresh();
  }
  Color TransparentColor() const { return transparent_color_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (on_show_) painter.drawImage(0, 0, on_show_->image);
  }

  bool event(QEvent* event) override {
    const bool handled = QAbstractButton::event(event);
    switch (event->type()) {
      case QEvent::Enter:
      case QEvent::Leave:
      case QEvent::HoverEnter:
      case QEvent::HoverLeave:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::Show:
        UpdateState();
        break;
      default:
        break;
    }
    return handled;
  }

  void checkStateSet() override {}
  void nextCheckState() override {}

 private:
  enum class State { Normal, Hot, Pressed };

  static int PictureNumberOf(State state) {
    switch (state) {
      case State::Hot:
        return property::HotPicture;
      case State::Pressed:
        return property::PressedPicture;
      case State::Normal:
        break;
    }
    return property::NormalPicture;
  }

  void UpdateState() {
    State state = State::Normal;
    if (isDown()) {
      state = State::Pressed;
    } else if (underMouse() && QApplication::mouseButtons() == Qt::NoButton) {
      state = State::Hot;
    }
    if (state == state_) return;
    state_ = state;
    Refresh();
  }

  // The picture of the current state, falling back to the normal one; the shape follows the picture on show,
  // and the button is repainted before the change that asked for it returns.
  void Refresh() {
    const std::shared_ptr<const DecodedPicture>* wanted = &normal_;
    if (state_ == State::Hot && hot_) wanted = &hot_;
    if (state_ == State::Pressed && pressed_) wanted = &pressed_;
    on_show_ = *wanted;
    if (on_show_ && transparent_color_ != kNoColor) {
      setMask(ShapeWithout(on_show_, transparent_color_));
    } else {
      clearMask();
    }
    if (isVisible()) repaint();
  }

  ControlIdentity identity_;
  Color transparent_color_;
  State state_ = State::Normal;
  std::shared_ptr<const DecodedPicture> normal_, hot_, pressed_, on_show_;
};

}  // namespace

QWidget* MakeControlWidget(const ControlForm& form, std::uint32_t window, std::uint32_t control,
                           QWidget* container) {
  QWidget* widget = nullptr;
  switch (form.kind) {
    case ControlKind::PictureBox:
      widget = new PictureBoxWidget(form, window, control, container);
      break;
    case ControlKind::Label:
      widget = new LabelWidget(form, false, container);
      break;
    case ControlKind::TransparentLabel:
      widget = new LabelWidget(form, true, container);
      break;
    case ControlKind::PictureButton:
      widget = new PictureButtonWidget(form, window, control, container);
      break;
    case ControlKind::Window:
    case ControlKind::Menu:
    case ControlKind::MenuItem:
      return nullptr;
  }
  widget->setGeometry(form.left, form.top, form.width, form.height);
  widget->setVisible(form.visible);
  return widget;
}

void SetPicture(QWidget* widget, ControlKind kind, int number, const ByteBuffer& picture) {
  if (kind == ControlKind::PictureBox && number == property::Picture) {
    static_cast<PictureBoxWidget*>(widget)->SetPicture(picture);
  } else if (kind == ControlKind::PictureButton) {
    static_cast<PictureButtonWidget*>(widget)->SetPicture(number, picture);
  }
}

void SetCaption(QWidget* widget, ControlKind kind, const Text& caption) {
  if (kind == ControlKind::Label || kind == ControlKind::TransparentLabel) {
    static_cast<LabelWidget*>(widget)->SetCaption(caption);
  }
}

Text CaptionOf(QWidget* widget, ControlKind kind) {
  if (kind == ControlKind::Label || kind == ControlKind::TransparentLabel) {
    return static_cast<LabelWidget*>(widget)->Caption();
  }
  return {};
}

void SetTextColor(QWidget* widget, ControlKind kind, Color color) {
  if (kind == ControlKind::Label || kind == ControlKind::TransparentLabel) {
    static_cast<LabelWidget*>(widget)->SetColor(color);
  }
}

Color TextColorOf(QWidget* widget, ControlKind kind) {
  if (kind == ControlKind::Label || kind == ControlKind::TransparentLabel) {
    return static_cast<LabelWidget*>(widget)->TextColor();
  }
  return 0;
}

void SetTransparentColor(QWidget* widget, Color color) {
  static_cast<PictureButtonWidget*>(widget)->SetTransparentColor(color);
}

Color TransparentColorOf(QWidget* widget) {
  return static_cast<PictureButtonWidget*>(widget)->TransparentColor();
}

StageWindow::StageWindow(std::uint32_t identifier, const WindowForm& form)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), identifier_(identifier) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QString::fromStdString(form.name));
  // The form's name as the X window role: window manager rules and tests tell the windows apart by it,
  // while the caption stays empty.
  setWindowRole(QString::fromStdString(form.name));
  if (!form.takes_focus) setAttribute(Qt::WA_ShowWithoutActivating);
  if (form.always_on_top) setWindowFlag(Qt::WindowStaysOnTopHint);
}

StageWindow::~StageWindow() {
  WindowGoing(identifier_);
}

bool StageWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && !activated_once_) {
    activated_once_ = true;
    // After the activation has been delivered, so that a long handler does not hold the event up.
    const std::uint32_t window = identifier_;
    QMetaObject::invokeMethod(
        this, [window] { RaiseEvent(window, 0, Event::FirstActivated); }, Qt::QueuedConnection);
  }
  return QWidget::event(event);
}

void StageWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  WindowClosing(identifier_);
}

void StageWindow::keyPressEvent(QKeyEvent* event) {
  const WindowRecord* record = FindWindow(identifier_);
  const auto modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  if (record && record->esc_closes && event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace heartstage::platform::internal
