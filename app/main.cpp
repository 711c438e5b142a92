#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "ui/main_window.h"
#include "ui/windows.h"

namespace {

// Without a display Qt would stop with a plugin error; say what to do instead.
bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "vicinara: no display found; run it under a display, e.g. `xvfb-run build/app/vicinara`, "
                 "or use the headless tool `vicinara-cli run --json`\n");
    return 1;
  }
  QApplication app(argc, argv);
  // Closing the main window ends the program, whatever other windows are open.
  app.setQuitOnLastWindowClosed(false);
  ui::Windows windows;
  QObject::connect(&windows.main(), &ui::MainWindow::closed, &app, &QApplication::quit);
  windows.main().show();
  return app.exec();
}
