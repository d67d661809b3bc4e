#include "app/Startup.h"
#include "frontend/qt/QtFrontEnd.h"

int main(int argc, char** argv) {
  ui::qt::QtFrontEnd frontEnd(argc, argv);
  return app::RunApplication(frontEnd);
}
