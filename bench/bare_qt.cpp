// The yardstick for the menu's start on Linux: a Qt program that shows one
// fixed 482 x 281 window with one label as soon as it starts.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.setFixedSize(482, 281);
  QLabel label(QStringLiteral("Диск дистрибутива"), &window);
  label.move(16, 16);
  window.show();
  return app.exec();
}
