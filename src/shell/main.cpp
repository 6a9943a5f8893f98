// melodeck: the desktop program. --settings FILE names the settings file;
// --screenshot FILE [--wait-scan] renders the main window to a PNG after the first
// scan and exits.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <iostream>
#include <string_view>

#include "main_frame.h"
#include "platform/process.h"
#include "qt_ui_hooks.h"
#include "res/command_line.h"
#include "res/texts.h"

int main(int argc, char** argv) {
  platform::KeepStandardStreamsOpen();
  constexpr const char* kUsage =
      "Usage: melodeck [--settings FILE] [--screenshot FILE [--wait-scan]]\n"
      "Starts Melodeck. Its settings are in FILE, else in Melodeck.ini in the current\n"
      "folder when there is one, else in $XDG_CONFIG_HOME/melodeck/Melodeck.ini.\n"
      "  --settings FILE    the settings file to use\n"
      "  --screenshot FILE  renders the window to a PNG after the first scan and exits\n"
      "  --wait-scan        waits for what the first scan posted before the picture\n";
  if (const auto status = res::HandleCommonOptions(argc, argv, "melodeck", kUsage, {"--settings", "--screenshot", "--wait-scan"})) {
    return *status;
  }
  QString screenshot;
  QString settings;
  bool waitScan = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--settings" || arg == "--screenshot") {
      if (i + 1 >= argc) {
        std::cerr << "melodeck: " << arg << " needs a FILE\n" << kUsage;
        return 2;
      }
      (arg == "--settings" ? settings : screenshot) = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--wait-scan") {
      waitScan = true;
    } else {
      std::cerr << "melodeck: unexpected argument " << arg << '\n' << kUsage;
      return 2;
    }
  }
  // Without a display Qt would abort; say what is missing instead.
  const auto unset = [](const char* name) { return qEnvironmentVariableIsEmpty(name); };
  if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
    std::cerr << "melodeck: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set;\n"
                 "QT_QPA_PLATFORM=offscreen runs it without one)\n";
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(res::caption::kProgram);
  QGuiApplication::setDesktopFileName("org.example.Melodeck");  // the desktop entry, for the window's icon and name
  QApplication::setWindowIcon(QIcon::fromTheme("org.example.Melodeck"));  // found once installed

  QtUiHooks hooks;
  CMainFrame frame(settings.toStdString());
  frame.show();
  frame.StartFirstScan();  // posts Refresh: the first scan runs from the event loop
  if (!screenshot.isEmpty()) {
    // After the first Refresh; with --wait-scan also after what it posted (the
    // library size), so the picture shows the settled window.
    QObject::connect(&frame, &CMainFrame::refreshed, &frame, [&frame, screenshot, waitScan] {
      const auto grab = [&frame, screenshot] {
        const bool saved = frame.grab().save(screenshot, "PNG");
        if (!saved) std::cerr << "cannot write " << screenshot.toStdString() << '\n';
        QApplication::exit(saved ? 0 : 1);
      };
      QTimer::singleShot(waitScan ? 100 : 0, &frame, grab);
    }, Qt::SingleShotConnection);
  }
  return QApplication::exec();
}
