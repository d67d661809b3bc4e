#include <gtest/gtest.h>

#include "../AllLayouts.h"
#include "ui/F_Info.h"
#include "ui/FormRules.h"
#include "ui/Pictures.h"

using namespace ui;

namespace {

constexpr TFontSpec kBold{.Bold = true};

// Two panels, one inside the other, around a button; numbers out of row order.
constexpr TControlRow kRows[] = {
    {.Id = 1, .Name = "Late", .Kind = ControlKind::PushButton, .Left = 5, .Top = 6, .TabOrder = 2},
    {.Id = 2, .Name = "Outer", .Kind = ControlKind::Panel, .Left = 10, .Top = 20, .TabOrder = 1},
    {.Id = 3, .Name = "Inner", .Kind = ControlKind::Panel, .Left = 3, .Top = 4, .TabOrder = 0,
     .Parent = 2},
    {.Id = 4, .Name = "Nested", .Kind = ControlKind::PushButton, .Left = 1, .Top = 1, .Width = 7,
     .Height = 9, .TabOrder = 0, .Parent = 3, .ModalResult = 2, .Cancel = true},
    {.Id = 5, .Name = "Flat", .Kind = ControlKind::FlatImageButton, .TabOrder = 0},
    {.Id = 6, .Name = "First", .Kind = ControlKind::Memo, .Font = &kBold, .TabOrder = 0},
    {.Id = 7, .Name = "Label", .Kind = ControlKind::Label, .TabOrder = 3},
    {.Id = 8,
     .Name = "Ok",
     .Kind = ControlKind::PushButton,
     .TabOrder = 4,
     .ModalResult = 1,
     .Cancel = true},
    {.Id = 9, .Name = "Radio", .Kind = ControlKind::RadioButton, .TabOrder = -1},
};
constexpr TFormLayout kForm{.Name = "Form", .HelpContext = 100, .Controls = kRows};
constexpr TFormLayout kEmpty{.Name = "Empty", .Controls = {}};

TEST(FormRules, TabChainAndFirstFocus) {
  // A control in a panel takes its panel's turn; what takes no focus has none.
  EXPECT_EQ(TabChain(kForm), (std::vector<int>{6, 4, 1, 8}));
  EXPECT_EQ(FirstFocus(kForm), 6);
  EXPECT_EQ(FirstFocus(kEmpty), -1);
}

TEST(FormRules, ArrowsWalkTheRadioGroupInItsTurns) {
  // The push buttons between radios 2 and 3 in the tab chain are no stop.
  using namespace selsrv;
  const struct {
    int from, step, to;
  } cases[] = {{RadioButton1, 1, RadioButton2}, {RadioButton2, 1, RadioButton3},
               {RadioButton3, -1, RadioButton2}, {RadioButton4, 1, -1},
               {RadioButton1, -1, -1},          {CancelBtn, 1, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(RadioStep(SelectServerLayout(), c.from, c.step), c.to) << &c - cases;
}

TEST(FormRules, KeysClicksAndTheCloseBox) {
  using A = TFormAction;
  const struct {
    TFormAction got, want;
  } cases[] = {
      {FormClick(kForm, 4), {A::Close, 2}},  // a modal result closes
      {FormClick(kForm, 1), {A::Click, 1}},  // a push button without one reports
      {FormClick(kForm, 5), {A::Click, 5}},  // and so does a flat button
      {FormClick(kForm, 9), {}},             // a radio button only checks
      {FormClick(kForm, 42), {}},
      {FormEscape(kForm), {A::Close, 2}},  // the first cancel row
      {FormEscape(kEmpty), {}},
      {FormHelp(kForm), {A::Help, 100}},
      {FormCloseBox(kEmpty), {A::Close, 2}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << &c - cases;
}

TEST(FormRules, FontsAndPlaces) {
  EXPECT_TRUE(RowFont(kForm, kRows[5]).Bold);
  EXPECT_EQ(&RowFont(kForm, kRows[0]), &kForm.Font);
  // Panels carry their controls; each place is scaled on its own.
  EXPECT_EQ(ClientBounds(kForm, kRows[3]), (TBounds{14, 25, 21, 34}));
  const auto twice = [](int v) { return v * 3 / 2; };
  const auto moved = [](const TControlRow& r) { return r.Id == 2 ? 30 : r.Top; };
  EXPECT_EQ(ClientBounds(kForm, kRows[3], twice, moved),
            (TBounds{4 + 15 + 1, 6 + 45 + 1, 4 + 15 + 12, 6 + 45 + 15}));
  EXPECT_EQ(FirstPlace(kForm, {200, 100}, {0, 0, 1024, 768}), (dialogs::TPoint{412, 334}));
  constexpr TFormLayout kStays{.Name = "Stays", .CentreOnScreen = false, .Controls = {}};
  EXPECT_FALSE(FirstPlace(kStays, {200, 100}, {0, 0, 1024, 768}));
}

TEST(FormRules, LineBreaks) {
  const struct {
    const char* in;
    const char* lf;
    const char* crlf;
  } cases[] = {{"a\rb", "a\nb", "a\r\nb"},
               {"a\r\nb", "a\nb", "a\r\nb"},
               {"a\r\rb", "a\n\nb", "a\r\n\r\nb"},
               {"a\r", "a\n", "a\r\n"},
               {"\rСКУД\n", "\nСКУД\n", "\r\nСКУД\r\n"},
               {"", "", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(WithLineBreaks(c.in, "\n"), c.lf) << c.in;
    EXPECT_EQ(WithLineBreaks(c.in, "\r\n"), c.crlf) << c.in;
  }
}

TEST(FormRules, WrapLinesBetweenWordsOrInsideOne) {
  // Every character one unit wide.
  const std::function<std::size_t(std::u16string_view, int)> fit = [](std::u16string_view line,
                                                                      int width) {
    return std::min(line.size(), static_cast<std::size_t>(width));
  };
  const struct {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"fits", u"fits"},
      {u"one two three", u"one\ntwo\nthree"},       // at the last blank that fits
      {u"abcdefghij", u"abcde\nfghij"},             // a word alone too wide
      {u"ab cdefghij\nxy", u"ab\ncdefg\nhij\nxy"},  // the blank at a break goes; breaks stay
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapLines<char16_t>(c.in, 5, fit, u"\n"), c.out);
}

}  // namespace

namespace {

// The timer steps one frame; a blocked pause catches up by the whole frames
// due; the loop wraps; new frames keep the place.
TEST(FrameClock, StepsCatchesUpAndWraps) {
  TFrameClock clock;
  clock.SetFrames(4);
  clock.Start(1000);
  const struct {
    int at;
    bool catchUp;  // else the timer's step
    bool moved;
    int frame;
  } steps[] = {
      {1050, true, false, 0},  {1090, false, true, 1}, {1179, true, false, 1},
      {1180, true, true, 2},   {1450, true, true, 1},  {1500, false, true, 2},
  };
  for (const auto& s : steps) {
    const bool moved = s.catchUp ? clock.CatchUp(s.at) : (clock.Step(s.at), true);
    EXPECT_EQ(moved, s.moved) << s.at;
    EXPECT_EQ(clock.Frame(), s.frame) << s.at;
  }
  clock.SetFrames(2);
  EXPECT_EQ(clock.Frame(), 0);
}

}  // namespace

namespace {

TEST(Pictures, KeyedAndGreyedPixels) {
  const struct {
    std::uint32_t in, keyed, greyed;
  } cases[] = {
      {0xFFFF00FF, 0x00000000, 0xFFB4B4B4},  // the key colour goes, whatever its alpha
      {0x00FF00FE, 0xFFFF00FE, 0x00B4B4B4},  // any other colour is opaque
      {0xFF000000, 0xFF000000, 0xFF808080},
      {0x80FFFFFF, 0xFFFFFFFF, 0x80FFFFFF},  // greying keeps the alpha
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyedPixel(c.in, 0xFF00FF), c.keyed) << std::hex << c.in;
    EXPECT_EQ(GreyedPixel(c.in), c.greyed) << std::hex << c.in;
  }
}

}  // namespace

TEST(Accessible, EveryWindowAsTheTableSays) {
  for (const auto& e : all_layouts::kAccessibleTable) {
    const TFormLayout& layout = e.Layout();
    const TAccessible a = e.Control < 0 ? WindowAccessible(layout, "")
                                        : ControlAccessible(layout, *layout.Find(e.Control));
    EXPECT_EQ(RoleName(a.Role), std::string(RoleName(e.Role))) << layout.Name << " " << e.Control;
    if (e.Control >= 0) {
      EXPECT_EQ(a.Name, e.Name) << layout.Name << " " << e.Control;
    }
  }
  // Names follow the texts the window shows now; an empty label leaves the hint.
  const TControlRow& install = *MainLayout().Find(SoftSetupRXSB);
  const auto text = [](int id) { return id == SoftLabel ? std::string("Setup  Now\r\nplease") : ""; };
  const auto hint = [](int) { return std::string("hint"); };
  EXPECT_EQ(ControlAccessible(MainLayout(), install, text, hint),
            (TAccessible{.Role = TAccRole::PushButton, .Name = "Setup Now please",
                         .Description = "hint"}));
  EXPECT_EQ(ControlAccessible(MainLayout(), install, [](int) { return ""; }, hint).Name, "hint");
  EXPECT_TRUE(ControlAccessible(MainLayout(), *MainLayout().Find(StatusLabel)).Live);
  EXPECT_EQ(SpokenText("A && B &x", true), "A & B x");
  // A label draws its '&' as it is, and is read so.
  const auto ampersand = [](int) { return std::string("R&D"); };
  EXPECT_EQ(ControlAccessible(MainLayout(), *MainLayout().Find(Label2), ampersand).Name, "R&D");
  EXPECT_EQ(ControlAccessible(MainLayout(), install, ampersand, hint).Name, "R&D");
}

// Only a change is told, and a live control's new text is read out; the
// status line set again at each tick of the installer's monitor tells nothing.
TEST(Accessible, ChangesToldOnceAndLiveOnesAnnounced) {
  const TAccessible status{.Role = TAccRole::StatusLine, .Name = "Идет установка ...", .Live = true};
  const TAccessible label{.Role = TAccRole::Label, .Name = "Имя", .Description = "d"};
  const auto with = [](TAccessible a, std::string name, std::string description) {
    a.Name = std::move(name);
    a.Description = std::move(description);
    return a;
  };
  const struct {
    std::vector<TAccessible> After;
    std::vector<TAccChange> Told;
  } cases[] = {
      {{status, label}, {}},
      {{with(status, "Готово", ""), label},
       {{.Index = 0, .Name = true, .Announce = true}}},
      {{with(status, "", ""), label}, {{.Index = 0, .Name = true}}},
      {{status, with(label, "Другое", "d")}, {{.Index = 1, .Name = true}}},
      {{status, with(label, "Имя", "e")}, {{.Index = 1, .Description = true}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AccessibleChanges({status, label}, c.After), c.Told) << c.After[0].Name;
}

TEST(Accessible, MessageDialogTellsItsTextAndKind) {
  dialogs::TMessageDialogLayout d;
  d.Caption = "Подтверждение";
  d.Text = "Закрыть\rпрограмму?";
  d.Icon = dialogs::TDialogIcon::Question;
  d.Buttons = {{dialogs::mbYes, "&Да", 6, {}}};
  // The text is read once: as the alert's label, not again as its description.
  EXPECT_EQ(DialogAccessible(d, TDialogPart::Window),
            (TAccessible{.Role = TAccRole::Alert, .Name = "Подтверждение"}));
  EXPECT_EQ(DialogAccessible(d, TDialogPart::Text).Name, "Закрыть программу?");
  EXPECT_EQ(DialogAccessible(d, TDialogPart::Icon).Name, "Вопрос");
  EXPECT_EQ(DialogAccessible(d, TDialogPart::Button, 0).Name, "Да");
  EXPECT_EQ(DialogAccessible(d, TDialogPart::Button, 1), TAccessible{});
}
