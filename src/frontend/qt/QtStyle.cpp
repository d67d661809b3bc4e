#include "frontend/qt/QtStyle.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>

namespace ui::qt {

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

namespace {

constexpr qreal kButtonRadius = 3;
constexpr int kButtonPadding = 6;  // left and right of a push button's label

// Fusion with the style's push buttons and tooltips: a rounded border (2
// pixels, in the text colour, on the default button), the face lighter under
// the mouse and darker while pressed, and a focus mark that stands out from
// both faces and from the default button's border.
class KamriStyle : public QProxyStyle {
 public:
  KamriStyle(const TStyle& style, QStyle* base) : QProxyStyle(base), s_(style) {}

  void polish(QWidget* w) override {
    QProxyStyle::polish(w);
    if (qobject_cast<QPushButton*>(w)) w->setAttribute(Qt::WA_Hover);
  }
  using QProxyStyle::polish;

  void drawControl(ControlElement element, const QStyleOption* opt, QPainter* p,
                   const QWidget* w) const override {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(opt);
    if (element != CE_PushButton || !button) return QProxyStyle::drawControl(element, opt, p, w);
    const bool isDefault = button->features & QStyleOptionButton::DefaultButton;
    const int border = isDefault ? 2 : 1;
    QColor face = ToQColor(s_.BtnFace);
    if (opt->state & State_Sunken)
      face = ToQColor(s_.BtnBorder);
    else if ((opt->state & State_MouseOver) && (opt->state & State_Enabled))
      face = ToQColor(s_.BtnHover);
    DrawBevel(p, QRectF(opt->rect), border, face,
              ToQColor(isDefault ? s_.WindowText : s_.BtnBorder));

    QStyleOptionButton label(*button);
    // The text keeps its colour when disabled, as the face does.
    label.palette.setColor(QPalette::ButtonText, ToQColor(s_.BtnText));
    label.rect = opt->rect.adjusted(border + kButtonPadding, border, -border - kButtonPadding,
                                    -border);
    // A label wider than that is centred on the whole face instead of cut.
    const int needed = LabelWidth(label);
    if (needed > label.rect.width())
      label.rect = opt->rect.adjusted(2, border, -2, -border);
    QProxyStyle::drawControl(CE_PushButtonLabel, &label, p, w);

    if (opt->state & State_HasFocus)
      DrawFocusLine(p, opt->rect.adjusted(3, 3, -4, -4), ToQColor(s_.BtnText));
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* opt, QPainter* p,
                     const QWidget* w) const override {
    switch (element) {
      case PE_PanelTipLabel:
        p->fillRect(opt->rect, ToQColor(s_.ToolTipBack));
        p->setPen(ToQColor(s_.BtnBorder));
        p->drawRect(opt->rect.adjusted(0, 0, -1, -1));
        return;
      case PE_FrameFocusRect:
        // A solid line in the text colour (Fusion's is a faint highlight).
        DrawFocusLine(p, opt->rect.adjusted(0, 0, -1, -1), opt->palette.color(QPalette::WindowText));
        return;
      default:
        return QProxyStyle::drawPrimitive(element, opt, p, w);
    }
  }

 private:
  // A focus mark: a crisp one-pixel line round `r`.
  static void DrawFocusLine(QPainter* p, const QRect& r, const QColor& colour) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(colour);
    p->setBrush(Qt::NoBrush);
    p->drawRect(r);
    p->restore();
  }

  static int LabelWidth(const QStyleOptionButton& b) {
    QString text = b.text;
    text.remove(QLatin1Char('&'));
    int width = b.fontMetrics.horizontalAdvance(text);
    if (!b.icon.isNull()) width += b.iconSize.width() + 4;
    return width;
  }

  // The rounded face and border: the face filled inside the border's middle
  // line, the border as straight edges joined by quarter arcs, antialiased.
  static void DrawBevel(QPainter* p, const QRectF& r, int w, const QColor& face,
                        const QColor& line) {
    const qreal rad = kButtonRadius, half = w / 2.0, d = 2 * rad - w;
    const qreal left = r.x(), top = r.y(), right = r.x() + r.width(), bottom = r.y() + r.height();
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    QPainterPath inside;
    inside.moveTo(left + rad, top + half);
    inside.lineTo(right - rad, top + half);
    inside.arcTo(right - half - 2 * rad + w, top + half, d, d, 90, -90);
    inside.lineTo(right - half, bottom - rad);
    inside.arcTo(right - half - 2 * rad + w, bottom - half - 2 * rad + w, d, d, 0, -90);
    inside.lineTo(left + rad, bottom - half);
    inside.arcTo(left + half, bottom - 2 * rad + w / 2, d, d, 270, -90);
    inside.lineTo(left + half, top + rad);
    inside.arcTo(left + half, top + w / 2, d, d, 180, -90);
    inside.closeSubpath();
    p->fillPath(inside, face);

    p->setPen(Qt::NoPen);
    p->setBrush(line);
    p->drawRect(QRectF(left + rad, bottom - w, r.width() - 2 * rad, w));
    p->drawRect(QRectF(right - w, top + rad, w, r.height() - 2 * rad));
    p->drawRect(QRectF(left, top + rad, w, r.height() - 2 * rad));
    p->drawRect(QRectF(left + rad, top, r.width() - 2 * rad, w));
    QPen pen(line, w, Qt::SolidLine, Qt::SquareCap);
    p->setPen(pen);
    p->setBrush(Qt::NoBrush);
    const qreal x2 = right - rad, y2 = bottom - rad, x1 = left + rad, y1 = top + rad;
    // Each corner as two eighths, as each of its edges ends it.
    p->drawArc(QRectF(x1 - rad + half, bottom - 2 * rad + half, d, d), -90 * 16, -45 * 16);
    p->drawArc(QRectF(x2 - rad + half, bottom - 2 * rad + half, d, d), -90 * 16, 45 * 16);
    p->drawArc(QRectF(right - 2 * rad + half, y1 - rad + half, d, d), 45 * 16, -45 * 16);
    p->drawArc(QRectF(right - 2 * rad + half, y2 - rad + half, d, d), 315 * 16, 45 * 16);
    p->drawArc(QRectF(left + half, y1 - rad + half, d, d), 135 * 16, 45 * 16);
    p->drawArc(QRectF(left + half, y2 - rad + half, d, d), 180 * 16, 45 * 16);
    p->drawArc(QRectF(x1 - rad + half, top + half, d, d), 135 * 16, -45 * 16);
    p->drawArc(QRectF(x2 - rad + half, top + half, d, d), 45 * 16, 45 * 16);
    p->restore();
  }

  TStyle s_;
};

}  // namespace

bool ApplyStyle(const QString& name) {
  QFile file(QStringLiteral(":/styles/") + name);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  const TStyle* style = ActivateStyle(
      std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), name.toStdString());
  if (!style) return false;

  // A proxy and a palette rather than a style sheet: a sheet is parsed and
  // matched against every widget before the first frame.
  QApplication::setStyle(new KamriStyle(*style, QStyleFactory::create(QStringLiteral("Fusion"))));
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
  return true;
}

}  // namespace ui::qt
