// quillmere: the window. Opens the main window, with the files and folders
// named on the command line already in its list.

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/render/RenderWorkerPool.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillmere [FILE|FOLDER]...\n"
    "Opens the Quillmere window, which converts presentations to PNG images.\n"
    "Files named are added to its list; folders are searched for every file in\n"
    "them and their sub-folders, as when they are dropped on the list.\n"
    "\n"
    "  --help       show this text\n"
    "  --version    show the version\n";

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
  if (!window.Load()) return 1;
  // The installed check started a renderer; runs convert in job processes
  // with renderers of their own, so this one is not kept waiting.
  factory.Pool().Shutdown();
  window.show();
  if (!paths.empty()) window.AddDroppedFiles(paths);
  return application.exec();
}
