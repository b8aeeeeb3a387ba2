// quillmere: the window. Opens the main window, with the files and folders
// named on the command line already in its list.

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/render/RenderWorkerPool.h"

namespace {

/// Set in the environment of a start that was scaled down to fit its screen.
constexpr const char* kFittedVariable = "QUILLMERE_FITTED_TO_SCREEN";

constexpr const char* kUsage =
    "Usage: quillmere [FILE|FOLDER]...\n"
    "Opens the Quillmere window, which converts presentations to PNG images.\n"
    "Files named are added to its list; folders are searched for every file in\n"
    "them and their sub-folders, as when they are dropped on the list.\n"
    "\n"
    "  --help       show this text\n"
    "  --version    show the version\n";

/// Room for the title bar and frame a window manager adds.
constexpr int kFrameAllowance = 40;

/// The factor by which everything must shrink for `window` (not shown yet)
/// to fit the room on the screen it opens on; 0 when it fits as it is.
double ShrinkToFit(const QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 0;
  const QSize room = screen->availableGeometry().size();
  const QSize need = window.size() + QSize(0, kFrameAllowance);
  if (room.width() <= 0 || room.height() <= 0) return 0;
  const double factor = std::min(static_cast<double>(room.width()) / need.width(),
                                 static_cast<double>(room.height()) / need.height());
  return factor < 1.0 ? factor : 0;
}

/// Starts this program again, scaled by `factor` on top of any scale asked
/// for already, with the arguments it was given. Returns only when that
/// fails; the window then opens unscaled.
void RestartScaled(double factor, char** argv) {
  bool ok = false;
  double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
  if (!ok || scale <= 0) scale = 1.0;
  // Once: the next start takes what it gets. Without the mark the next
  // start would restart again, so no mark, no restart.
  if (::setenv("QT_SCALE_FACTOR", std::to_string(scale * factor).c_str(), 1) != 0 ||
      ::setenv(kFittedVariable, "1", 1) != 0)
    return;
  (void)::execv("/proc/self/exe", argv);  // returns only on failure: the window opens unscaled
}

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no display: answered before Qt starts.
  for (int i = 1; i < argc && std::string(argv[i]) != "--"; ++i) {
    if (std::string(argv[i]) == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::string(argv[i]) == "--version") {
      std::printf("quillmere %s\n", QM_VERSION);
      return 0;
    }
  }
  // Qt takes its own options out of argv; a restart needs them all.
  std::vector<char*> given(argv, argv + argc);
  given.push_back(nullptr);
  QApplication application(argc, argv);  // takes Qt's own options (-platform ...)
  std::vector<std::string> paths;
  bool optionsEnded = false;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const std::string argument = arguments[i].toStdString();
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "quillmere: unknown option %s\n%s", argument.c_str(), kUsage);
      return 2;
    } else {
      // A drop names full paths; so do these.
      std::error_code error;
      const auto absolute = std::filesystem::absolute(argument, error);
      paths.push_back(error ? argument : absolute.string());
    }
  }

  qm::LibreOfficeApplicationFactory factory;
  qm::Form1 window(factory, qm::DefaultJobPath(), qm::DefaultJobCount());
  // The window has a fixed size: on a screen too small for it (or scaled
  // up too far) it starts again scaled down, so that every control shows.
  if (qEnvironmentVariableIsEmpty(kFittedVariable)) {
    if (const double factor = ShrinkToFit(window); factor > 0) RestartScaled(factor, given.data());
  }
  if (!window.Load()) return 1;
  // The installed check started a renderer; runs convert in job processes
  // with renderers of their own, so this one is not kept waiting.
  factory.Pool().Shutdown();
  window.show();
  if (!paths.empty()) window.AddDroppedFiles(paths);
  return application.exec();
}
