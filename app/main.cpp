// Lumora, the album program.
//   Lumora [--screenshot PATH] [--screenshot-max PATH] [--screenshot-editor PREFIX]
// With a screenshot option the program starts as usual, saves a picture of
// its window once it is up (PATH, PNG; with --screenshot-max after switching
// to the full-screen layout; with --screenshot-editor the photo editor on the
// album's first picture, one picture per panel: PREFIX-distortion.png,
// PREFIX-color.png, PREFIX-filter.png with a region selected), and closes
// again: a way to see what it shows on a machine without a display.
#include <QApplication>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>

#include <algorithm>

#include "app/AlbumHubApp.h"
#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "app/MainDialog.h"
#include "app/MainLayout.h"
#include "app/WindowPicture.h"
#include "editor/EditorLayout.h"
#include "io/FileKinds.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtPrompts.h"

namespace {

struct Options {
  QString compactPicture;
  QString maxPicture;
  QString editorPrefix;
  bool screenshots() const { return !compactPicture.isEmpty() || !maxPicture.isEmpty() || !editorPrefix.isEmpty(); }
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool compact = std::strcmp(argv[i], "--screenshot") == 0;
    const bool max = std::strcmp(argv[i], "--screenshot-max") == 0;
    const bool editor = std::strcmp(argv[i], "--screenshot-editor") == 0;
    if (!compact && !max && !editor) continue;  // other arguments are the dialog's ("/owner=")
    if (i + 1 >= argc) {
      std::fprintf(stderr, "Lumora: %s needs a file name\n", argv[i]);
      return false;
    }
    // Made absolute now: the window moves the current directory into the
    // open album before the pictures are saved.
    (compact ? options.compactPicture : max ? options.maxPicture : options.editorPrefix) =
        QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
  }
  return true;
}

bool Save(lumora::MainDialog& window, const QString& path) {
  if (lumora::WindowPicture(window).save(path, "PNG")) return true;
  std::fprintf(stderr, "Lumora: cannot write %s\n", qPrintable(path));
  return false;
}

// The editor on the album's first picture, one picture per panel; the last
// one with a region selected. Nothing is changed, so closing asks nothing.
bool SaveEditor(lumora::MainDialog& window, const QString& prefix) {
  using namespace lumora::editor;
  const std::vector<std::string> paths = window.Items().Paths();
  const auto still = std::ranges::find_if(paths, [](const std::string& path) {
    const lumora::FileKind* kind = lumora::FileKindOfExtension(path);
    return kind && kind->still;
  });
  if (still == paths.end()) {
    std::fprintf(stderr, "Lumora: the album has no picture for --screenshot-editor\n");
    return false;
  }
  window.ItemList()->SetCurrentRow(int(still - paths.begin()));
  window.OnCommand(lumora::layout::kEditButton);
  bool saved = Save(window, prefix + "-distortion.png");
  window.OnCommand(kColorTab);
  saved = Save(window, prefix + "-color.png") && saved;
  window.OnCommand(kFilterTab);
  window.OnCommand(kRegionSelect);
  saved = Save(window, prefix + "-filter.png") && saved;
  window.OnCommand(kClose);
  return saved;
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
      if (!options.editorPrefix.isEmpty()) saved = SaveEditor(window, options.editorPrefix) && saved;
      window.close();
    });
  }
  const int code = hub.Run();
  return saved ? code : 3;
}
