#pragma once
// The few control kinds the layouts use that Qt does not have as such.

#include <QAbstractButton>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "ui/F_Info.h"

namespace ui::qt {

// A picture from the program's resources, for a screen with `ratio` device
// pixels per logical pixel. Whatever the ratio its logical size is that of
// the 96-dpi picture, so layouts stay put; above 1 it is the picture drawn
// for 2x, scaled smoothly to the ratio, and so shown pixel for pixel.
// Bitmaps leave the colour of their bottom-left pixel undrawn; PNGs keep
// their alpha channel. Null when there is no such picture.
QPixmap PictureFor(const QString& name, qreal ratio);

// The 96-dpi picture.
QPixmap LoadPicture(const QString& name);

// An icon that draws PictureFor(name, ratio of the screen it is painted on).
QIcon PictureIcon(const QString& name);

// A flat button that shows only its picture: a frame while the mouse is
// over it, the picture greyed while disabled, never the keyboard focus.
class FlatImageButton : public QAbstractButton {
  Q_OBJECT
 public:
  FlatImageButton(const QString& picture, QWidget* parent);
  bool Hovered() const { return hovered_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void changeEvent(QEvent* e) override;

 private:
  QString picture_;
  QPixmap greyed_;  // of the picture whose cache key is greyedOf_
  qint64 greyedOf_ = 0;
  bool hovered_ = false;
};

// A transparent picture, sized to what it shows.
class PictureBox : public QWidget {
  Q_OBJECT
 public:
  PictureBox(const QString& picture, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString picture_;
};

// A looping animation: the strip holds the frames side by side, each as wide
// as the control. Made inactive, showing its first frame; the hourglass over
// it. Made from a picture's name it follows the screen's ratio; made from a
// pixmap it shows that pixmap as it is.
class AnimationBox : public QWidget {
  Q_OBJECT
 public:
  AnimationBox(const QString& picture, const QSize& frameSize, QWidget* parent);
  AnimationBox(const QPixmap& strip, const QSize& frameSize, QWidget* parent);
  void SetActive(bool active);
  bool Active() const { return timer_.isActive(); }
  int Frame() const { return clock_.Frame(); }
  int FrameCount() const { return clock_.Frames(); }
  // Advances by the frames due since the last step and paints at once,
  // without handling any event: for pauses that block the event loop.
  void CatchUp();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  AnimationBox(const QString& picture, const QPixmap& strip, const QSize& frameSize,
               QWidget* parent);
  void Step();

  QString picture_;
  QPixmap strip_;  // at 96 dpi
  QSize frameSize_;
  TFrameClock clock_;
  QTimer timer_;
};

}  // namespace ui::qt
