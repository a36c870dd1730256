// The whole program with a big album: starts Lumora's window (the albums
// beside this program: a small first album, then the one to measure) in the
// full layout, where the list fills the screen, clicks the album to measure in the album list as a user would, and prints
// how long after the click the list's first screen of thumbnails was in the
// list and drawn, when the whole load was over, the items listed, the
// thumbnails the list keeps, and the peak resident memory of the process.
//   bench_item_list ALBUM_NAME     (QT_QPA_PLATFORM=offscreen or a display)
#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/AlbumBrowser.h"
#include "app/AlbumHubApp.h"
#include "app/AlbumListView.h"
#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "app/MainDialog.h"
#include "app/MainLayout.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtPrompts.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// VmHWM of /proc/self/status, in MB.
double PeakResidentMb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void Click(QWidget& widget, QPoint at) {
  const QPointF global = widget.mapToGlobal(QPointF(at));
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, QPointF(at), global, Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_item_list ALBUM_NAME\n");
    return 2;
  }
  const std::string albumName = argv[1];
  QApplication app(argc, argv);
  lumora::Registry registry(lumora::Registry::DefaultFolder());
  lumora::PosixShell shell;
  lumora::QtPrompts prompts;
  lumora::QtDesktop desktop;
  lumora::AlbumHubApp hub({registry, shell, prompts, desktop});

  int status = 1;
  hub.OnWindowShown([&](lumora::MainDialog& window) {
    window.OnCommand(lumora::layout::kMaximize);
    lumora::AlbumListView& albums = *window.AlbumList();
    lumora::ItemListView& items = *window.ItemList();
    int row = -1;
    for (int r = 0; r < albums.Count(); ++r)
      if (albums.Entry(r)->Album().name == albumName) row = r;
    if (row < 0 || row == window.Albums().Current()) {
      std::fprintf(stderr, "bench_item_list: no album '%s' other than the first\n", albumName.c_str());
      window.close();
      return;
    }
    const QSize grid = items.gridSize(), view = items.viewport()->size();
    const int screen = std::max(1, view.width() / grid.width()) * ((view.height() + grid.height() - 1) / grid.height());
    double firstScreen = -1;
    Clock::time_point clicked;
    QObject::connect(items.model(), &QAbstractItemModel::rowsInserted, &items, [&] {
      if (firstScreen >= 0 || !window.Items().Loading() || items.Count() < screen) return;
      items.viewport()->repaint();
      firstScreen = MsSince(clicked);
    });
    clicked = Clock::now();
    Click(*albums.viewport(), albums.RowRect(row).center());
    const double whole = MsSince(clicked);
    std::printf("first screen (%d cells)  %10.1f ms\n", screen, firstScreen);
    std::printf("whole load               %10.1f ms\n", whole);
    std::printf("items listed             %10d\n", items.Count());
    std::printf("thumbnails kept          %10zu\n", items.KeptThumbnails());
    std::printf("peak resident memory     %10.1f MB\n", PeakResidentMb());
    status = items.Count() > 0 ? 0 : 1;
    QTimer::singleShot(0, &window, [&window] { window.close(); });
  });
  hub.Run();
  return status;
}
