#pragma once
// The few control kinds the layouts use that Qt does not have as such.

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace ui::qt {

// A picture from the program's resources. Bitmaps leave the colour of their
// bottom-left pixel undrawn; PNGs keep their alpha channel.
QPixmap LoadPicture(const QString& name);

// A flat button that shows only its picture: a frame while the mouse is
// over it, the picture greyed while disabled, never the keyboard focus.
class FlatImageButton : public QAbstractButton {
  Q_OBJECT
 public:
  FlatImageButton(const QPixmap& picture, QWidget* parent);
  bool Hovered() const { return hovered_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void changeEvent(QEvent* e) override;

 private:
  QPixmap picture_;
  QPixmap greyed_;
  bool hovered_ = false;
};

// A transparent picture, sized to what it shows.
class PictureBox : public QWidget {
  Q_OBJECT
 public:
  PictureBox(const QPixmap& picture, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QPixmap picture_;
};

// A looping animation: `strip` holds the frames side by side, each as wide as
// the control. Made inactive, showing its first frame; the hourglass over it.
class AnimationBox : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kFrameMs = 90;  // about 11 frames a second

  AnimationBox(const QPixmap& strip, const QSize& frameSize, QWidget* parent);
  void SetActive(bool active);
  bool Active() const { return timer_.isActive(); }
  int Frame() const { return frame_; }
  int FrameCount() const { return frames_; }
  // Advances by the frames due since the last step and paints at once,
  // without handling any event: for pauses that block the event loop.
  void CatchUp();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Step();

  QPixmap strip_;
  QSize frameSize_;
  int frames_ = 0;
  int frame_ = 0;
  QTimer timer_;
  QElapsedTimer stepped_;
};

}  // namespace ui::qt
