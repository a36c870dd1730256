// Lumora, the album program.
//   Lumora [--screenshot PATH] [--screenshot-max PATH]
// With a screenshot option the program starts as usual, saves a picture of
// its window once it is up (PATH, PNG; with --screenshot-max after switching
// to the full-screen layout), and closes again: a way to see what it shows
// on a machine without a display.
#include <QApplication>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>

#include "app/AlbumHubApp.h"
#include "app/MainDialog.h"
#include "app/MainLayout.h"
#include "app/WindowPicture.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtPrompts.h"

namespace {

struct Options {
  QString compactPicture;
  QString maxPicture;
  bool screenshots() const { return !compactPicture.isEmpty() || !maxPicture.isEmpty(); }
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool compact = std::strcmp(argv[i], "--screenshot") == 0;
    const bool max = std::strcmp(argv[i], "--screenshot-max") == 0;
    if (!compact && !max) continue;  // other arguments are the dialog's ("/owner=")
    if (i + 1 >= argc) {
      std::fprintf(stderr, "Lumora: %s needs a file name\n", argv[i]);
      return false;
    }
    // Made absolute now: the window moves the current directory into the
    // open album before the pictures are saved.
    (compact ? options.compactPicture : options.maxPicture) =
        QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
  }
  return true;
}

bool Save(lumora::MainDialog& window, const QString& path) {
  if (lumora::WindowPicture(window).save(path, "PNG")) return true;
  std::fprintf(stderr, "Lumora: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumora"));
  QApplication::setOrganizationName(QStringLiteral("Quorvix Systems"));
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;

  lumora::Registry registry(lumora::Registry::DefaultFolder());
  lumora::PosixShell shell;
  lumora::QtPrompts prompts;
  lumora::QtDesktop desktop;
  lumora::AlbumHubApp hub({registry, shell, prompts, desktop});

  bool saved = true;
  if (options.screenshots()) {
    hub.OnWindowShown([&](lumora::MainDialog& window) {
      if (!options.compactPicture.isEmpty()) saved = Save(window, options.compactPicture) && saved;
      if (!options.maxPicture.isEmpty()) {
        window.OnCommand(lumora::layout::kMaximize);
        saved = Save(window, options.maxPicture) && saved;
      }
      window.close();
    });
  }
  const int code = hub.Run();
  return saved ? code : 3;
}
