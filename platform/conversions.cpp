#include <QBuffer>
#include <QFontDatabase>
#include <QImageReader>
#include <QStringDecoder>
#include <functional>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/internal.h"

namespace heartstage::platform::internal {

QString ShowTextToQString(const Text& text) {
  // A decoder per call: a dangling lead byte is held by the decoder, never carried into the next text.
  QStringDecoder decoder("GB18030");
  if (!decoder.isValid()) return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

QColor ShowColor(Color color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

QFont ShowFont(const FontForm& form) {
  // Shows are prepared with SimSun; on other systems the closest faces are the Song (Ming) styles.
  static const QStringList song_faces = {"SimSun",           "NSimSun",           "AR PL UMing CN",
                                         "AR PL SungtiL GB", "Noto Serif CJK SC", "Source Han Serif SC",
                                         "AR PL UMing TW",   "WenQuanYi Zen Hei", "Noto Sans CJK SC"};
  static const QStringList any_chinese_faces = [] {
    QStringList faces = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    faces += QFontDatabase::families(QFontDatabase::TraditionalChinese);
    return faces;
  }();
  QStringList faces;
  if (!form.face.empty()) faces << QString::fromStdString(form.face);
  faces << song_faces << any_chinese_faces;
  QFont font;
  font.setFamilies(faces);
  font.setPixelSize(form.pixel_height > 0 ? form.pixel_height : 12);
  font.setWeight(static_cast<QFont::Weight>(form.weight));
  return font;
}

namespace {

struct PictureKey {
  std::size_t size;
  std::size_t hash;
  bool operator==(const PictureKey&) const = default;
};
struct PictureKeyHash {
  std::size_t operator()(const PictureKey& key) const {
    return key.hash ^ (key.size * 0x9E3779B97F4A7C15ull);
  }
};

struct CachedPicture {
  std::shared_ptr<const DecodedPicture> picture;
  std::map<Color, QBitmap> shapes;
};

// Shows use a handful of pictures, each written many times (the chase writes two every step).
std::unordered_map<PictureKey, CachedPicture, PictureKeyHash> decoded_pictures;

PictureKey KeyOf(const ByteBuffer& bytes) {
  const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return {bytes.size(), std::hash<std::string_view>{}(view)};
}

}  // namespace

std::shared_ptr<const DecodedPicture> DecodePicture(const ByteBuffer& bytes) {
  if (bytes.empty()) return nullptr;
  const PictureKey key = KeyOf(bytes);
  if (auto found = decoded_pictures.find(key); found != decoded_pictures.end()) return found->second.picture;
  QImage image;
  image.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
  std::shared_ptr<const DecodedPicture> picture;
  if (!image.isNull()) {
    picture = std::make_shared<DecodedPicture>(DecodedPicture{image.convertToFormat(QImage::Format_RGB32)});
  }
  decoded_pictures[key].picture = picture;
  return picture;
}

QBitmap ShapeWithout(const std::shared_ptr<const DecodedPicture>& picture, Color key) {
  for (auto& [cache_key, cached] : decoded_pictures) {
    if (cached.picture != picture) continue;
    auto [shape, inserted] = cached.shapes.try_emplace(key);
    if (inserted) {
      shape->second =
          QBitmap::fromImage(picture->image.createMaskFromColor(ShowColor(key).rgb(), Qt::MaskInColor));
    }
    return shape->second;
  }
  return QBitmap::fromImage(picture->image.createMaskFromColor(ShowColor(key).rgb(), Qt::MaskInColor));
}

}  // namespace heartstage::platform::internal
