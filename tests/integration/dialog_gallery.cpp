// Shows one message dialog of the program, so the integration tests can drive
// and photograph every kind without staging a disc for each.
//
//   dialog_gallery KIND BUTTONS TEXT [TITLE]   prints the dialog's result
//   dialog_gallery --clipboard                 prints the clipboard text
//   dialog_gallery --740                       shows the no-rights window
//   dialog_gallery --form NAME                 shows a form of its own and
//                                              prints its result and checked radio
//   dialog_gallery --info DONE                 shows the progress window
//                                              until the file DONE is there
//                                              (a minute at most); after a
//                                              second its animation stops, so
//                                              that a screenshot can settle
//
// The second form reads back what a dialog's Ctrl+C copied; the test machines
// have no clipboard tool of their own.

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/Application.h"
#include "ui/F_Info.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/_Dialogs.h"
#include "frontend/qt/QtControls.h"
#include "frontend/qt/QtForm.h"
#include "frontend/qt/QtInfoForm.h"
#include "frontend/qt/QtMessageDialog.h"
#include "frontend/qt/QtStyle.h"

namespace {

int Usage() {
  std::fputs("usage: dialog_gallery KIND(0..5) BUTTONS TEXT [TITLE]\n"
             "       dialog_gallery --clipboard\n",
             stderr);
  return 2;
}

bool ParseInt(const char* s, long min, long max, long& out) {
  char* end = nullptr;
  out = std::strtol(s, &end, 0);
  return end != s && *end == '\0' && out >= min && out <= max;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);

  if (argc == 2 && std::string(argv[1]) == "--clipboard") {
    std::fputs(QGuiApplication::clipboard()->text().toStdString().c_str(), stdout);
    return 0;
  }

  // As the program does: no " — name" after the captions.
  QApplication::setApplicationDisplayName(QString());
  ui::qt::InstallFontSubstitutes();
  if (argc == 2 && std::string(argv[1]) == "--740") {
    if (!ui::qt::ApplyStyle(QStringLiteral("Amethyst Kamri"))) return 3;
    ui::qt::QtDialogs shown;
    return shown.RunAbout740Form() ? 0 : 1;
  }
  if (argc == 3 && std::string(argv[1]) == "--info") {
    if (!ui::qt::ApplyStyle(QStringLiteral("Amethyst Kamri"))) return 3;
    ui::qt::InstallInfoEnvironment();
    ui::ShowInfo("DIZ_JSC.GDB");
    QElapsedTimer shown;
    shown.start();
    // Up until the test has its picture: a busy machine takes its time.
    while (!QFileInfo::exists(QString::fromLocal8Bit(argv[2])) && shown.elapsed() < 60000) {
      // Held on a frame with the sheet in the air.
      auto* form = dynamic_cast<ui::qt::QtInfoForm*>(ui::InfoForm.get());
      if (form && shown.elapsed() >= 1000 && form->Animation()->Frame() == 6)
        form->SetAnimationActive(false);
      QCoreApplication::processEvents();
      QThread::msleep(10);
    }
    ui::HideInfo();
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--form") {
    if (!ui::qt::ApplyStyle(QStringLiteral("Amethyst Kamri"))) return 3;
    const std::string name = argv[2];
    dialogs::TModalFormRequest request;
    if (name == "SelectServerForm") request.Layout = &ui::SelectServerLayout();
    if (name == "VerForm") {
      request.Layout = &ui::VerLayout();
      request.Texts = {{ui::ver::VerLabel, "5"}};
    }
    if (name == "FBInstallHelpForm") request.Layout = &ui::FBInstallHelpLayout();
    if (!request.Layout) return Usage();
    request.OnClick = [](int id) { std::printf("click %d\n", id); std::fflush(stdout); };
    ui::qt::QtDialogs shown;
    const auto r = shown.RunModalForm(request);
    std::printf("%d %d\n", r.ModalResult, r.CheckedRadio);
    return 0;
  }

  long kind = 0, buttons = 0;
  if (argc < 4 || argc > 5 || !ParseInt(argv[1], 0, 5, kind) ||
      !ParseInt(argv[2], 1, (1 << dialogs::kButtonCount) - 1, buttons))
    return Usage();

  if (!ui::qt::ApplyStyle(QStringLiteral("Amethyst Kamri"))) {
    std::fputs("the style resource is missing\n", stderr);
    return 3;
  }
  ui::Application.Title = argc == 5 ? argv[4] : "СКУД \"Ловерин\". Диск дистрибутива";

  // The shell passes real line breaks; the program's texts break with "\r".
  std::string text = argv[3];
  for (char& c : text)
    if (c == '\n') c = '\r';

  dialogs::TMessageDialogRequest request;
  request.Text = text;
  request.Kind = static_cast<dialogs::TMsgDlgType>(kind);
  request.Buttons = static_cast<dialogs::TMsgDlgButtons>(buttons);

  ui::qt::QtDialogs shown;
  const int result = shown.ShowMessageDialog(request);
  std::printf("%d\n", result);
  std::fflush(stdout);
  return 0;
}
