// The other program of the cross-program drop test: a small window that, when
// the left button is pressed on it, drags the file named on its command line
// as a local file URL (move and copy allowed) and prints "dropped" or "not
// dropped" when the drag ends. It keeps running until it is ended: the target
// fetches the dropped data from it after the drag.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragWindow final : public QWidget {
 public:
  explicit DragWindow(QUrl file) : file_(std::move(file)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls({file_});
    drag->setMimeData(data);
    const Qt::DropAction done = drag->exec(Qt::MoveAction | Qt::CopyAction);
    std::printf("%s\n", done == Qt::IgnoreAction ? "not dropped" : "dropped");
    std::fflush(stdout);
  }

 private:
  QUrl file_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) return 2;
  DragWindow window(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
  window.setWindowTitle(QStringLiteral("xdnd-source"));
  window.setGeometry(0, 0, 120, 120);
  window.show();
  return app.exec();
}
