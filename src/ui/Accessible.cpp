#include "ui/Accessible.h"

#include "ui/F_740.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_Info.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/Main.h"

namespace ui {

namespace {

// What differs from the defaults of a control's kind.
struct TAccessibleRow {
  const TFormLayout& (*Layout)();
  int Control;
  int NamedBy = -1;        // its name is that control's text (a picture button's label)
  int NameGoesOn = -1;     // and its caption goes on in that control (a second line)
  int DescribedBy = -1;    // its description is that control's text
  const char* Name = nullptr;
  bool Live = false;
  bool Hidden = false;
};

constexpr TAccessibleRow kRows[] = {
    {.Layout = MainLayout, .Control = SoftSetupRXSB, .NamedBy = SoftLabel},
    {.Layout = MainLayout, .Control = DocRxSB, .NamedBy = Label2},
    {.Layout = MainLayout, .Control = ViewRxSB, .NamedBy = Label1},
    {.Layout = MainLayout, .Control = StatusLabel, .Live = true},
    {.Layout = MainLayout, .Control = Image2, .Name = "Эмблема СКУД"},
    {.Layout = MainLayout, .Control = Image1, .Hidden = true},  // the ribbon over the emblem
    {.Layout = SelectServerLayout, .Control = selsrv::RadioButton1, .DescribedBy = selsrv::Label1},
    {.Layout = SelectServerLayout, .Control = selsrv::RadioButton2, .DescribedBy = selsrv::Label2},
    {.Layout = SelectServerLayout, .Control = selsrv::RadioButton3, .NameGoesOn = selsrv::Label4,
     .DescribedBy = selsrv::Label5},
    {.Layout = SelectServerLayout, .Control = selsrv::RadioButton4, .DescribedBy = selsrv::Label6},
    {.Layout = About740Layout, .Control = Image1_740, .Name = "Окно контроля учетных записей"},
    {.Layout = VerLayout, .Control = ver::Image1, .Name = "Сервер базы данных"},
    {.Layout = FBInstallHelpLayout, .Control = fbhelp::Image1, .Name = "Firebird"},
    {.Layout = InfoLayout, .Control = info::Animate1, .Name = "Копирование файлов"},
};

const TAccessibleRow* Find(const TFormLayout& layout, int control) {
  for (const TAccessibleRow& r : kRows)
    if (&r.Layout() == &layout && r.Control == control) return &r;
  return nullptr;
}

TAccRole KindRole(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return TAccRole::Label;
    case ControlKind::FlatImageButton:
    case ControlKind::PushButton: return TAccRole::PushButton;
    case ControlKind::Picture: return TAccRole::Picture;
    case ControlKind::Memo: return TAccRole::Text;
    case ControlKind::Panel: return TAccRole::Panel;
    case ControlKind::RadioButton: return TAccRole::RadioButton;
    case ControlKind::Animation: return TAccRole::Animation;
  }
  return TAccRole::Label;
}

}  // namespace

const char* RoleName(TAccRole role) {
  static constexpr const char* kNames[] = {"frame",    "dialog", "alert",   "push button",
                                           "radio button", "label", "status line", "picture",
                                           "text",     "panel",  "animation"};
  return kNames[static_cast<int>(role)];
}

std::string SpokenText(const std::string& text, bool mnemonic) {
  std::string out;
  bool blank = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (mnemonic && c == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') ++i;
      else continue;
    }
    if (c == '\r' || c == '\n' || c == '\t' || c == ' ') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

TAccessible WindowAccessible(const TFormLayout& layout, const std::string& caption) {
  return {.Role = &layout == &MainLayout() ? TAccRole::Frame : TAccRole::Dialog,
          .Name = SpokenText(caption)};
}

TAccessible ControlAccessible(const TFormLayout& layout, const TControlRow& row,
                              const TCurrentText& text, const TCurrentText& hint) {
  const auto textOf = [&](int id) {
    if (text) return text(id);
    const TControlRow* r = layout.Find(id);
    return std::string(r ? r->Text : "");
  };
  TAccessible a{.Role = KindRole(row.Kind)};
  const TAccessibleRow* extra = Find(layout, row.Id);
  // A memo's text is its value, read as a document; its name stays empty.
  if (row.Kind != ControlKind::Memo && row.Kind != ControlKind::Panel &&
      row.Kind != ControlKind::Picture && row.Kind != ControlKind::Animation)
    a.Name = SpokenText(textOf(row.Id), row.Kind == ControlKind::PushButton ||
                                            row.Kind == ControlKind::RadioButton);
  a.Description = SpokenText(hint ? hint(row.Id) : row.Hint);
  if (!extra) return a;
  if (extra->NamedBy >= 0) {
    // Without a label text the hint names the button.
    if (std::string label = SpokenText(textOf(extra->NamedBy)); !label.empty()) a.Name = label;
    else a.Name = a.Description;
    if (a.Description == a.Name) a.Description.clear();
  }
  if (extra->NameGoesOn >= 0) a.Name = SpokenText(a.Name + " " + textOf(extra->NameGoesOn));
  if (extra->DescribedBy >= 0) a.Description = SpokenText(textOf(extra->DescribedBy));
  if (extra->Name) a.Name = extra->Name;
  if (extra->Live) a.Role = TAccRole::StatusLine;
  a.Live = extra->Live;
  a.Hidden = extra->Hidden;
  return a;
}

std::vector<TAccChange> AccessibleChanges(const std::vector<TAccessible>& before,
                                          const std::vector<TAccessible>& after) {
  std::vector<TAccChange> changes;
  for (std::size_t i = 0; i < after.size() && i < before.size(); ++i) {
    const TAccChange c{.Index = i,
                       .Name = after[i].Name != before[i].Name,
                       .Description = after[i].Description != before[i].Description,
                       .Announce = after[i].Live && after[i].Name != before[i].Name &&
                                   !after[i].Name.empty()};
    if (c.Name || c.Description) changes.push_back(c);
  }
  return changes;
}

TAccessible DialogAccessible(const dialogs::TMessageDialogLayout& layout, TDialogPart part,
                             int button) {
  switch (part) {
    case TDialogPart::Window:
      return {.Role = TAccRole::Alert, .Name = SpokenText(layout.Caption)};
    case TDialogPart::Icon: {
      static constexpr const char* kIconNames[] = {"", "Предупреждение", "Ошибка", "Информация",
                                                   "Вопрос"};
      return {.Role = TAccRole::Picture, .Name = kIconNames[static_cast<int>(layout.Icon)],
              .Hidden = layout.Icon == dialogs::TDialogIcon::None};
    }
    case TDialogPart::Text:
      return {.Role = TAccRole::Label, .Name = SpokenText(layout.Text)};
    case TDialogPart::Button:
      if (button < 0 || button >= static_cast<int>(layout.Buttons.size())) return {};
      return {.Role = TAccRole::PushButton,
              .Name = SpokenText(layout.Buttons[static_cast<std::size_t>(button)].Caption,
                                 true)};
  }
  return {};
}

}  // namespace ui
