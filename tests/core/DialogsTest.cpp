#include <gtest/gtest.h>

#include "ui/_Dialogs.h"

using namespace dialogs;

namespace {

// A font of 6 x 13 average characters on a 1024 x 768 screen; every character
// is 6 pixels wide and lines wrap nowhere.
class FixedMetrics : public IDialogMetrics {
 public:
  int wrapWidthSeen = 0;
  TSize AverageCharSize() override { return {6, 13}; }
  int TextWidth(const std::string& line) override { return 6 * Chars(line); }
  TSize WrappedTextSize(const std::string& text, int maxWidth) override {
    wrapWidthSeen = maxWidth;
    int lines = 1, longest = 0, current = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        ++lines;
        current = 0;
      } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
        longest = std::max(longest, ++current);
      }
    }
    return {6 * longest, 13 * lines};
  }
  TSize ScreenSize() override { return {1024, 768}; }
  static int Chars(const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
  }
};

TMessageDialogLayout Build(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons) {
  FixedMetrics m;
  TMessageDialogRequest r;
  r.Text = text;
  r.Kind = kind;
  r.Buttons = buttons;
  return BuildMessageDialog(r, m, "Окно диска");
}

std::string DefaultCaption(const TMessageDialogLayout& d) {
  return d.DefaultIndex < 0 ? "" : d.Buttons[d.DefaultIndex].Caption;
}
std::string CancelCaption(const TMessageDialogLayout& d) {
  return d.CancelIndex < 0 ? "" : d.Buttons[d.CancelIndex].Caption;
}

// Whatever the text (up to the longest a setup.ini value can make), the
// dialog fits on the screen with room for its frame, and every button lies
// inside it: even when a front end's measure does not break long words.
TEST(MessageDialog, AnyTextFitsTheScreen) {
  const std::string word = "Невозможно";
  std::string manyLines, longLines, crOnly;
  for (int i = 0; manyLines.size() < 2047; ++i) manyLines += "ab\r";
  for (int i = 0; longLines.size() < 2047; ++i) longLines += std::string(300, 'x') + "\r\n";
  for (int i = 0; crOnly.size() < 2047; ++i) crOnly += "\r";
  std::string words;
  while (words.size() < 2047) words += word + " ";
  const std::string texts[] = {std::string(2047, 'W'), manyLines, longLines, crOnly, words,
                               "Невозможно выполнить \"" + std::string(2047, 'n') + "\":\rфайл."};
  FixedMetrics m;
  for (const std::string& text : texts) {
    for (TMsgDlgButtons buttons : {mbOKOnly, mbYesNo}) {
      TMessageDialogRequest r;
      r.Text = text;
      r.Kind = mtError;
      r.Buttons = buttons;
      const auto d = BuildMessageDialog(r, m, "Окно диска");
      SCOPED_TRACE(text.substr(0, 20));
      EXPECT_LE(d.ClientWidth, m.ScreenSize().cx);
      EXPECT_LE(d.ClientHeight + 4 * m.AverageCharSize().cy, m.ScreenSize().cy);
      EXPECT_LE(d.TextBounds.Left + d.TextBounds.Width, d.ClientWidth);
      for (const auto& b : d.Buttons) {
        EXPECT_GE(b.Bounds.Left, 0);
        EXPECT_LE(b.Bounds.Left + b.Bounds.Width, d.ClientWidth);
        EXPECT_LE(b.Bounds.Top + b.Bounds.Height, d.ClientHeight);
      }
    }
  }
  // A text that fits is measured as it is.
  EXPECT_EQ(Build("Закрыть программу?", mtShutdown, mbYesNo).TextBounds.Width, 6 * 18);
}

TEST(MessageDialog, KindsGiveCaptionAndIcon) {
  struct Case {
    TMsgDlgType kind;
    const char* caption;
    TDialogIcon icon;
  } cases[] = {
      {mtWarning, "Предупреждение", TDialogIcon::Warning},
      {mtError, "Ошибка", TDialogIcon::Error},
      {mtInformation, "Информация", TDialogIcon::Information},
      {mtConfirmation, "Подтвердите", TDialogIcon::Question},
      {mtShutdown, "Завершение работы", TDialogIcon::Question},
      {mtCustom, "Окно диска", TDialogIcon::None},
  };
  for (const auto& c : cases) {
    const auto d = Build("x", c.kind, mbOKOnly);
    EXPECT_EQ(d.Caption, c.caption);
    EXPECT_EQ(d.Icon, c.icon);
  }
}

TEST(MessageDialog, ButtonsInBitOrderWithCaptionsAndResults) {
  const auto d = Build("x", mtWarning, 0x0FFF);
  const char* captions[] = {"Да", "Нет", "Ввод", "Отмена", "Прервать", "Повторить",
                            "Игнорировать", "Все", "Нет для всех", "Да для всех", "Помощь",
                            "Закрыть"};
  const int results[] = {6, 7, 1, 2, 3, 4, 5, 12, 13, 14, 0, 8};
  ASSERT_EQ(d.Buttons.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(d.Buttons[i].Caption, captions[i]);
    EXPECT_EQ(d.Buttons[i].Result, results[i]);
  }
  EXPECT_EQ(mbOKOnly, 4);
  EXPECT_EQ(mbYesNo, 3);
}

TEST(MessageDialog, DefaultAndCancelButtons) {
  struct Case {
    TMsgDlgButtons buttons;
    const char* def;
    const char* cancel;
  } cases[] = {
      {mbOKOnly, "Ввод", "Ввод"},
      {mbYesNo, "Да", "Нет"},
      {Bit(mbOK) | Bit(mbCancel), "Ввод", "Отмена"},
      {Bit(mbYes) | Bit(mbNo) | Bit(mbCancel), "Да", "Отмена"},
      {Bit(mbAbort) | Bit(mbRetry) | Bit(mbIgnore), "Повторить", ""},
      {Bit(mbClose), "", ""},
  };
  for (const auto& c : cases) {
    const auto d = Build("x", mtConfirmation, c.buttons);
    EXPECT_EQ(DefaultCaption(d), c.def) << c.buttons;
    EXPECT_EQ(CancelCaption(d), c.cancel) << c.buttons;
  }
}

TEST(MessageDialog, KeysAndClicks) {
  const auto ok = Build("x", mtError, mbOKOnly);
  EXPECT_EQ(DialogKey(ok, TDialogKey::Escape, -1).Result, mrOk);
  EXPECT_EQ(DialogKey(ok, TDialogKey::Enter, -1).Result, mrOk);

  const auto yn = Build("x", mtShutdown, mbYesNo);
  EXPECT_EQ(DialogKey(yn, TDialogKey::Enter, -1).Result, mrYes);
  EXPECT_EQ(DialogKey(yn, TDialogKey::Escape, 0).Result, mrNo);
  EXPECT_EQ(DialogKey(yn, TDialogKey::Enter, 1).Result, mrNo);  // Enter on a focused No
  EXPECT_NE(DialogCloseResult(yn), mrYes);

  const auto help = Build("x", mtWarning, Bit(mbOK) | Bit(mbHelp));
  EXPECT_EQ(DialogButtonClick(help, 1).What, TDialogAction::ShowHelp);
  EXPECT_EQ(DialogButtonClick(help, 0).What, TDialogAction::Close);
  // No cancel button in the set: Esc does nothing.
  const auto ari = Build("x", mtWarning, Bit(mbAbort) | Bit(mbIgnore));
  EXPECT_EQ(DialogKey(ari, TDialogKey::Escape, -1).What, TDialogAction::None);
  EXPECT_EQ(DialogKey(ari, TDialogKey::Enter, -1).What, TDialogAction::None);
}

TEST(MessageDialog, GeometryInDialogUnits) {
  // cx 6, cy 13: margins 12 x 13, spacing 15 x 16, buttons 75 x 23 with 6 between.
  FixedMetrics m;
  TMessageDialogRequest r;
  r.Text = "Закрыть программу?";  // 18 characters, 108 pixels
  r.Kind = mtShutdown;
  r.Buttons = mbYesNo;
  const auto d = BuildMessageDialog(r, m, "");
  EXPECT_EQ(m.wrapWidthSeen, 512);
  EXPECT_EQ(d.IconBounds, (TRect{12, 13, 32, 32}));
  EXPECT_EQ(d.TextBounds, (TRect{12 + 32 + 15, 13, 108, 13}));
  // max(32 + 15 + 108, 2 * 75 + 6) + 2 * 12; 32 + 23 + 16 + 2 * 13
  EXPECT_EQ(d.ClientWidth, 156 + 24);
  EXPECT_EQ(d.ClientHeight, 32 + 23 + 16 + 26);
  ASSERT_EQ(d.Buttons.size(), 2u);
  const int x0 = (180 - 156) / 2;
  EXPECT_EQ(d.Buttons[0].Bounds, (TRect{x0, 32 + 13 + 16, 75, 23}));
  EXPECT_EQ(d.Buttons[1].Bounds, (TRect{x0 + 81, 32 + 13 + 16, 75, 23}));
}

TEST(MessageDialog, GeometryWithoutIconAndWideCaptions) {
  // A caption wider than 50 units widens every button to its width plus 8.
  const auto d = Build("a\rbb", mtCustom, Bit(mbOK) | Bit(mbIgnore));
  const int w = 6 * 12 + 8;  // "Игнорировать"
  EXPECT_EQ(d.Buttons[0].Bounds.Width, w);
  EXPECT_EQ(d.Buttons[1].Bounds.Width, w);
  EXPECT_EQ(d.TextBounds, (TRect{12, 13, 12, 26}));  // two lines, no icon, no 32 minimum
  EXPECT_EQ(d.ClientWidth, 2 * w + 6 + 24);
  EXPECT_EQ(d.ClientHeight, 26 + 23 + 16 + 26);
}

TEST(MessageDialog, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(8, 7, 4), 14);
  EXPECT_EQ(MulDiv(10, 7, 4), 18);   // 17.5
  EXPECT_EQ(MulDiv(10, 13, 8), 16);  // 16.25
  EXPECT_EQ(MulDiv(14, 13, 8), 23);  // 22.75
  EXPECT_EQ(MulDiv(-10, 7, 4), -18);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(MessageDialog, Placement) {
  const TRect screen{0, 0, 1024, 768};
  const TRect main{100, 50, 490, 310};
  const TSize frame{200, 100};
  EXPECT_EQ(PlaceDialog(-1, -1, frame, screen, main), (TPoint{412, 334}));
  EXPECT_EQ(PlaceDialog(-2, -2, frame, screen, main), (TPoint{245, 155}));
  EXPECT_EQ(PlaceDialog(10, -1, frame, screen, main), (TPoint{10, 334}));
  EXPECT_EQ(PlaceDialog(-2, 20, frame, screen, main), (TPoint{-2, 20}));
}

TEST(MessageDialog, ClipboardDump) {
  const auto d = Build("Не могу показать диалог!\rВторая", mtError, Bit(mbOK) | Bit(mbCancel));
  const std::string line = "---------------------------\r\n";
  EXPECT_EQ(DialogKey(d, TDialogKey::CtrlC, -1).ClipboardText,
            line + "Ошибка\r\n" + line + "Не могу показать диалог!\rВторая\r\n" + line +
                "Ввод   Отмена   \r\n" + line);
  EXPECT_EQ(DialogKey(d, TDialogKey::CtrlC, -1).What, TDialogAction::CopyToClipboard);
}

}  // namespace
