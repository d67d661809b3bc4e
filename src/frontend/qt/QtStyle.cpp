#include "frontend/qt/QtStyle.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QStyleFactory>

namespace ui::qt {

namespace {
QString Css(std::uint32_t rgb) { return ToQColor(rgb).name(); }
}  // namespace

QColor ToQColor(std::uint32_t rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QColor ResolveColour(TColor colour) {
  if (const auto rgb = StyleColour(colour, ActiveStyle())) return ToQColor(*rgb);
  const QPalette p = QApplication::palette();
  switch (colour.System) {
    case SysColor::BtnHighlight: return QColor(Qt::white);
    case SysColor::BtnFace: return p.color(QPalette::Button);
    case SysColor::Window: return p.color(QPalette::Window);
    case SysColor::WindowText: return p.color(QPalette::WindowText);
  }
  return {};
}

bool ApplyStyle(const QString& name) {
  QFile file(QStringLiteral(":/styles/") + name);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  const TStyle* style = ActivateStyle(
      std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), name.toStdString());
  if (!style) return false;

  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QPalette p;
  p.setColor(QPalette::Window, ToQColor(style->Window));
  p.setColor(QPalette::WindowText, ToQColor(style->WindowText));
  p.setColor(QPalette::Base, ToQColor(style->BtnHighlight));
  p.setColor(QPalette::Text, ToQColor(style->WindowText));
  p.setColor(QPalette::Button, ToQColor(style->BtnFace));
  p.setColor(QPalette::ButtonText, ToQColor(style->BtnText));
  p.setColor(QPalette::Light, ToQColor(style->BtnHighlight));
  p.setColor(QPalette::Highlight, ToQColor(style->Highlight));
  p.setColor(QPalette::HighlightedText, ToQColor(style->HighlightText));
  p.setColor(QPalette::ToolTipBase, ToQColor(style->ToolTipBack));
  p.setColor(QPalette::ToolTipText, ToQColor(style->ToolTipText));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, ToQColor(style->Disabled));
  QApplication::setPalette(p);

  qApp->setStyleSheet(
      QStringLiteral("QPushButton { background: %1; color: %2; border: 1px solid %3;"
                     " border-radius: 3px; padding: 0 6px; }"
                     "QPushButton:hover { background: %4; }"
                     "QPushButton:default, QPushButton:focus { border: 2px solid %5; }"
                     "QPushButton:pressed { background: %3; }"
                     "QToolTip { background: %6; color: %7; border: 1px solid %3; }")
          .arg(Css(style->BtnFace), Css(style->BtnText), Css(style->BtnBorder),
               Css(style->BtnHover), Css(style->WindowText), Css(style->ToolTipBack),
               Css(style->ToolTipText)));
  return true;
}

}  // namespace ui::qt
