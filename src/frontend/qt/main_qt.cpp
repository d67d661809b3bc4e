#include "app/Startup.h"
#include "frontend/qt/QtFrontEnd.h"

#ifdef SKD_MENU_LIBRARY
#include <dlfcn.h>

#include <QCoreApplication>
#include <QFileInfo>

// The disc's skdsetup loads the menu as this library, from memory or from
// the disc; the plugins lie beside it, wherever that is, and there alone:
// a qt.conf naming the disc's would have Qt read those too (the program,
// whose folder Qt reads qt.conf from, stays the disc's).
extern "C" __attribute__((visibility("default"))) int skd_menu_main(int argc, char** argv) {
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&skd_menu_main), &self) && self.dli_fname)
    QCoreApplication::setLibraryPaths(
        {QFileInfo(QString::fromLocal8Bit(self.dli_fname)).absolutePath() + "/plugins"});
  ui::qt::QtFrontEnd frontEnd(argc, argv);
  return app::RunApplication(frontEnd);
}
#else
int main(int argc, char** argv) {
  ui::qt::QtFrontEnd frontEnd(argc, argv);
  return app::RunApplication(frontEnd);
}
#endif
