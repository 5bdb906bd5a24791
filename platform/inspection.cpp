#include "platform/inspection.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QTextLayout>
#include <cstdlib>

#include "platform/internal.h"

namespace heartstage::platform {

namespace {

// The subtitle label's font: its letters are drawn without antialiasing on the key colour.
QFont SubtitleFont(const FontForm& form) {
  QFont font = internal::ShowFont(form);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// How far a colour may lie from the key (the sum of the three channels' differences) and still be taken for
// a failed attempt at it: a blend of at least two thirds key, or the noise of a lossy save. A deliberate
// pink such as (255, 105, 180) lies well beyond.
constexpr int kNearKeyDistance = 96;

// Qt's notes about its own set-up (no XDG_RUNTIME_DIR over ssh, say) mean nothing to whoever reads the
// report; only what stops Qt gets through.
void KeepOnlySeriousMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) qt_message_output(type, context, message);
}

}  // namespace

struct InspectionSession::Application {
  // QGuiApplication keeps references to these for its whole life.
  int argument_count = 1;
  char name[20] = "heartstage-check";
  char* arguments[2] = {name, nullptr};
  std::unique_ptr<QGuiApplication> application;
};

InspectionSession::InspectionSession() : application_(std::make_unique<Application>()) {
  if (QCoreApplication::instance() != nullptr) return;
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (chosen == nullptr || *chosen == '\0') setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(KeepOnlySeriousMessages);
  application_->application =
      std::make_unique<QGuiApplication>(application_->argument_count, application_->arguments);
}

InspectionSession::~InspectionSession() = default;

PictureFacts InspectPicture(const ByteBuffer& bytes, Color key) {
  PictureFacts facts;
  if (bytes.empty()) return facts;
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  // Recognised by content, as the picture controls do: a name's extension changes nothing.
  QImageReader reader(&buffer);
  facts.format = reader.format().toStdString();
  facts.frames = reader.supportsAnimation() ? reader.imageCount() : 1;

  const auto picture = internal::DecodePicture(bytes);
  if (!picture) return facts;
  facts.decoded = true;
  facts.width = picture->image.width();
  facts.height = picture->image.height();
  if (facts.frames < 1) facts.frames = 1;

  const QColor key_color = internal::ShowColor(key);
  const QRgb exact = key_color.rgb() & 0xFFFFFF;
  for (int y = 0; y < picture->image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(picture->image.constScanLine(y));
    for (int x = 0; x < picture->image.width(); ++x) {
      const QRgb pixel = row[x] & 0xFFFFFF;
      if (pixel == exact) {
        ++facts.key_pixels;
        continue;
      }
      const int distance = std::abs(qRed(pixel) - key_color.red()) +
                           std::abs(qGreen(pixel) - key_color.green()) +
                           std::abs(qBlue(pixel) - key_color.blue());
      if (distance <= kNearKeyDistance) ++facts.near_key_pixels;
    }
  }
  return facts;
}

LineLayout LayOutSubtitleLine(const Text& line, const FontForm& form, int width) {
  const QFont font = SubtitleFont(form);
  const QString text = internal::ShowTextToQString(line);
  LineLayout result;
  result.natural_width = QFontMetrics(font).horizontalAdvance(text);
  // The label's own layout: centred rows broken at word boundaries, or anywhere when a word is too long.
  QTextLayout layout(text, font);
  QTextOption option(Qt::AlignHCenter);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
    row.setLineWidth(width);
    ++result.rows;
  }
  layout.endLayout();
  return result;
}

int SubtitleRowStep(const FontForm& form) {
  return internal::SubtitleLineStep(QFontMetrics(SubtitleFont(form)));
}

std::string ResolvedFontFamily(const FontForm& form) {
  return QFontInfo(SubtitleFont(form)).family().toStdString();
}

std::string ShowTextToUtf8(const Text& text) {
  return internal::ShowTextToQString(text).toStdString();
}

}  // namespace heartstage::platform
