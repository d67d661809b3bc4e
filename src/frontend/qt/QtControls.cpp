#include "frontend/qt/QtControls.h"

#include <QApplication>
#include <QEnterEvent>
#include <QResource>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <cstring>
#include <map>
#include <utility>

#include "frontend/qt/QtStyle.h"
#include "ui/Pictures.h"

namespace ui::qt {

namespace {

// Decoded from the resource's bytes by our own reader, as on Windows: Qt's
// reader, not told the format, would first load every image plugin it has
// (and libjpeg) to ask each whether the file is theirs.
QImage Decoded(const QString& path) {
  const QResource resource(path);
  // Stored uncompressed (see the build), so read where it lies.
  const QByteArray bytes = resource.compressionAlgorithm() == QResource::NoCompression
                               ? QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                                         resource.size())
                               : resource.uncompressedData();
  DecodedPicture picture;
  if (bytes.isEmpty() ||
      !DecodePicture(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                     static_cast<std::size_t>(bytes.size()), picture))
    return {};
  QImage image(picture.Width, picture.Height, QImage::Format_ARGB32);
  if (image.isNull()) return {};
  const std::size_t row = static_cast<std::size_t>(picture.Width) * 4;
  for (int y = 0; y < picture.Height; ++y)
    std::memcpy(image.scanLine(y), picture.Bgra.data() + row * static_cast<std::size_t>(y), row);
  return image;
}

QImage Keyed(const QString& path, bool bitmap) {
  QImage image = Decoded(path);
  if (image.isNull() || !bitmap) return image;
  const QRgb key = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) line[x] = KeyedPixel(line[x], key);
  }
  return image;
}

QPixmap Greyed(const QPixmap& picture) {
  QImage img = picture.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) line[x] = GreyedPixel(line[x]);
  }
  img.setDevicePixelRatio(picture.devicePixelRatio());
  return QPixmap::fromImage(img);
}

// Its size in logical pixels.
QSize LogicalSize(const QPixmap& picture) {
  return picture.deviceIndependentSize().toSize();
}

class PictureIconEngine : public QIconEngine {
 public:
  explicit PictureIconEngine(QString name) : name_(std::move(name)) {}
  QIconEngine* clone() const override { return new PictureIconEngine(name_); }
  QSize actualSize(const QSize&, QIcon::Mode, QIcon::State) override {
    return LoadPicture(name_).size();
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1);
  }
  QPixmap scaledPixmap(const QSize&, QIcon::Mode mode, QIcon::State, qreal scale) override {
    QPixmap picture = PictureFor(name_, scale);
    if (mode == QIcon::Normal || picture.isNull()) return picture;
    QStyleOption option;
    option.palette = QGuiApplication::palette();
    return QApplication::style()->generatedIconPixmap(mode, picture, &option);
  }
  void paint(QPainter* p, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    p->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, p->device()->devicePixelRatio()));
  }

 private:
  QString name_;
};

}  // namespace

QPixmap PictureFor(const QString& name, qreal ratio) {
  if (!(ratio > 1)) ratio = 1;
  // A handful of pictures at one or two ratios: kept for the program's life.
  static std::map<std::pair<QString, qreal>, QPixmap> cache;
  const auto key = std::make_pair(name, ratio);
  if (const auto it = cache.find(key); it != cache.end()) return it->second;

  const bool bitmap = name.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive);
  QImage image = Keyed(QStringLiteral(":/pictures/") + name, bitmap);
  if (!image.isNull() && ratio > 1) {
    const QSize size(qRound(image.width() * ratio), qRound(image.height() * ratio));
    QImage large = Keyed(QStringLiteral(":/pictures/2x/") + name, bitmap);
    if (large.isNull()) large = image;
    // Keyed first: the edges then fade into transparency, never into the key.
    if (large.size() != size)
      large = large.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    large.setDevicePixelRatio(ratio);
    image = large;
  }
  QPixmap picture = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
  cache.emplace(key, picture);
  return picture;
}

QPixmap LoadPicture(const QString& name) { return PictureFor(name, 1); }

QIcon PictureIcon(const QString& name) { return QIcon(new PictureIconEngine(name)); }

FlatImageButton::FlatImageButton(const QString& picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
}

void FlatImageButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QPixmap pic = PictureFor(picture_, devicePixelRatio());
  if (!isEnabled()) {
    if (greyedOf_ != pic.cacheKey()) {
      greyed_ = Greyed(pic);
      greyedOf_ = pic.cacheKey();
    }
    pic = greyed_;
  }
  const QSize size = LogicalSize(pic);
  QPoint at((width() - size.width()) / 2, (height() - size.height()) / 2);
  if (isDown()) at += QPoint(1, 1);
  p.drawPixmap(at, pic);
  if (hovered_ && isEnabled()) {
    const TStyle* s = ActiveStyle();
    const QColor light = s ? ToQColor(s->BtnHighlight) : QColor(Qt::white);
    const QColor dark = s ? ToQColor(s->Frame) : palette().color(QPalette::Dark);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.setPen(isDown() ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(isDown() ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  }
}

void FlatImageButton::enterEvent(QEnterEvent* e) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(e);
}

void FlatImageButton::leaveEvent(QEvent* e) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(e);
}

void FlatImageButton::changeEvent(QEvent* e) {
  if (e->type() == QEvent::EnabledChange) update();
  QAbstractButton::changeEvent(e);
}

PictureBox::PictureBox(const QString& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  resize(LoadPicture(picture_).size());
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, PictureFor(picture_, devicePixelRatio()));
}

AnimationBox::AnimationBox(const QString& picture, const QSize& frameSize, QWidget* parent)
    : AnimationBox(picture, LoadPicture(picture), frameSize, parent) {}

AnimationBox::AnimationBox(const QPixmap& strip, const QSize& frameSize, QWidget* parent)
    : AnimationBox(QString(), strip, frameSize, parent) {}

AnimationBox::AnimationBox(const QString& picture, const QPixmap& strip, const QSize& frameSize,
                           QWidget* parent)
    : QWidget(parent), picture_(picture), strip_(strip), frameSize_(frameSize) {
  resize(frameSize);
  if (frameSize.width() > 0) clock_.SetFrames(LogicalSize(strip_).width() / frameSize.width());
  setCursor(Qt::WaitCursor);
  setAttribute(Qt::WA_OpaquePaintEvent, clock_.Frames() > 0);
  timer_.setInterval(kFrameMs);
  connect(&timer_, &QTimer::timeout, this, &AnimationBox::Step);
}

void AnimationBox::SetActive(bool active) {
  if (active == Active()) return;
  if (active && clock_.Frames() > 1) {
    clock_.Start(TFrameClock::NowMs());
    timer_.start();
  } else {
    timer_.stop();  // stays on the frame it shows
  }
}

void AnimationBox::Step() {
  clock_.Step(TFrameClock::NowMs());
  update();
}

void AnimationBox::CatchUp() {
  if (Active() && clock_.CatchUp(TFrameClock::NowMs())) repaint();
}

void AnimationBox::paintEvent(QPaintEvent*) {
  if (clock_.Frames() <= 0) return;  // no picture: the window's colour shows
  QPainter p(this);
  const QPixmap strip = picture_.isEmpty() ? strip_ : PictureFor(picture_, devicePixelRatio());
  // The source is in the strip's own pixels.
  const qreal r = strip.devicePixelRatio();
  const QRectF frame(clock_.Frame() * frameSize_.width() * r, 0, frameSize_.width() * r,
                     frameSize_.height() * r);
  p.drawPixmap(QRectF(rect()), strip, frame);
}

}  // namespace ui::qt
