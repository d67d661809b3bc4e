#pragma once
// The few control kinds the layouts use that Qt does not have as such.

#include <QAbstractButton>
#include <QPixmap>
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

}  // namespace ui::qt
