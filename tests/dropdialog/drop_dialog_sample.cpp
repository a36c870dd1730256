// The sample dialog as a program of its own, started by the owner and child
// tests as another process:
//   drop_dialog_sample [/owner=<hex handle>] [--drop <path>...]
// It shows the dialog (which announces itself to its owner) and prints
//   ready <handle in hex>
// With "--drop" it then posts the paths to its owner with code 3. It prints
//   owner gone
// once its owner's close has reached it, and closes the dialog (which tells
// its owner) when its standard input ends.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/qt/QtWindowSystem.h"
#include "tests/dropdialog/SampleDropDialog.h"

namespace {

// Ends on its own when the test forgets it.
constexpr int kLifetimeMs = 60000;
constexpr int kOwnerCheckMs = 10;

void PrintLine(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::vector<std::string> dropPaths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--drop") != 0) continue;
    for (++i; i < argc; ++i) dropPaths.push_back(argv[i]);
  }

  lumora::test::SampleDropDialog dialog({});
  dialog.setWindowTitle("Drop dialog sample");
  dialog.show();
  char handle[16];
  std::snprintf(handle, sizeof handle, "%X", unsigned(dialog.Handle()));
  PrintLine(std::string("ready ") + handle);

  std::string error;
  std::unique_ptr<lumora::WindowSystem> windows = lumora::OpenWindowSystemForQt(&error);
  if (!dropPaths.empty()) {
    const std::optional<QByteArray> block = QvDropDialog::CreateDropFiles(dropPaths);
    if (!windows || !block) {
      std::fprintf(stderr, "drop_dialog_sample: cannot send the files: %s\n", error.c_str());
      return 1;
    }
    lumora::WindowMessage message{QvDropDialog::kNotifyMessage, QvDropDialog::kNotifyDropFiles,
                                  {block->begin(), block->end()}};
    if (!windows->Post(dialog.OwnerWindow(), message)) {
      std::fprintf(stderr, "drop_dialog_sample: the owner %X takes no messages\n", unsigned(dialog.OwnerWindow()));
      return 1;
    }
  }

  QTimer ownerCheck;
  bool hadOwner = dialog.OwnerWindow() != lumora::kNoWindow;
  QObject::connect(&ownerCheck, &QTimer::timeout, [&] {
    if (!hadOwner || dialog.OwnerWindow() != lumora::kNoWindow) return;
    hadOwner = false;
    PrintLine("owner gone");
  });
  ownerCheck.start(kOwnerCheckMs);

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[256];
    if (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) return;
    input.setEnabled(false);
    dialog.close();
    app.quit();
  });
  QTimer::singleShot(kLifetimeMs, &app, &QApplication::quit);
  return app.exec();
}
