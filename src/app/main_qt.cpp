#include "app/Startup.h"
#include "ui/qt/QtFrontEnd.h"

int main(int argc, char** argv) {
  ui::qt::QtFrontEnd frontEnd(argc, argv);
  return app::RunApplication(frontEnd);
}
