#include "ui/qt/QtControls.h"

#include <QBitmap>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>

#include "ui/qt/QtStyle.h"

namespace ui::qt {

QPixmap LoadPicture(const QString& name) {
  QImage image(QStringLiteral(":/pictures/") + name);
  if (image.isNull()) return {};
  if (name.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive)) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
  }
  return QPixmap::fromImage(image);
}

static QPixmap Greyed(const QPixmap& picture) {
  QImage img = picture.toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      const int g = 128 + qGray(line[x]) / 2;
      line[x] = qRgba(g, g, g, qAlpha(line[x]));
    }
  }
  return QPixmap::fromImage(img);
}

FlatImageButton::FlatImageButton(const QPixmap& picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture), greyed_(Greyed(picture)) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
}

void FlatImageButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPixmap& pic = isEnabled() ? picture_ : greyed_;
  QPoint at((width() - pic.width()) / 2, (height() - pic.height()) / 2);
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

PictureBox::PictureBox(const QPixmap& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  resize(picture_.size());
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, picture_);
}

AnimationBox::AnimationBox(const QPixmap& strip, const QSize& frameSize, QWidget* parent)
    : QWidget(parent), strip_(strip), frameSize_(frameSize) {
  resize(frameSize);
  if (frameSize.width() > 0) frames_ = strip_.width() / frameSize.width();
  setCursor(Qt::WaitCursor);
  setAttribute(Qt::WA_OpaquePaintEvent, frames_ > 0);
  timer_.setInterval(kFrameMs);
  connect(&timer_, &QTimer::timeout, this, &AnimationBox::Step);
}

void AnimationBox::SetActive(bool active) {
  if (active == Active()) return;
  if (active && frames_ > 1) {
    stepped_.start();
    timer_.start();
  } else {
    timer_.stop();  // stays on the frame it shows
  }
}

void AnimationBox::Step() {
  frame_ = (frame_ + 1) % frames_;
  stepped_.start();
  update();
}

void AnimationBox::CatchUp() {
  if (!Active()) return;
  const qint64 due = stepped_.elapsed() / kFrameMs;
  if (due <= 0) return;
  frame_ = static_cast<int>((frame_ + due) % frames_);
  stepped_.start();
  repaint();
}

void AnimationBox::paintEvent(QPaintEvent*) {
  if (frames_ <= 0) return;  // no picture: the window's colour shows
  QPainter p(this);
  p.drawPixmap(rect(), strip_, QRect(QPoint(frame_ * frameSize_.width(), 0), frameSize_));
}

}  // namespace ui::qt
