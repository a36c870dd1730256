// "Select Source..." (32806) and "Acquire..." (32807) over the TwainLink,
// and timer 2, which polls the source while it is open: the pages it
// delivers are saved into the open album and added to the item list.
#include "app/MainDialog.h"

#include <QAction>

#include "app/AlbumBrowser.h"
#include "app/ItemBrowser.h"
#include "platform/SaneSource.h"
#include "resources/ResourceIds.h"

namespace lumora {

void MainDialog::OnSelectSource() {
  if (!twain_) {
    TwainLink::Loader load = services_.loadSourceManager;
    if (!load) load = [this] { return LoadSaneSourceManager(services_.prompts); };
    auto link = std::make_unique<TwainLink>(services_.prompts, messages_.Caption(), std::move(load));
    // A missing library has been reported; the link is not kept.
    if (!link->Start(this)) return;
    twain_ = std::move(link);
    acquireTimer_.setInterval(kAcquireTimerMs);
    connect(&acquireTimer_, &QTimer::timeout, this, &MainDialog::OnAcquireTimer);
  }
  twain_->SelectSource();
}

void MainDialog::OnAcquire() {
  if (!twain_) return;
  twain_->Acquire();
  if (twain_->ManagerOpen() || twain_->SourceOpen()) {
    if (QAction* select = Action(res::kCmdSelectSource)) select->setEnabled(false);
    acquireTimer_.start();
  }
}

void MainDialog::OnAcquireTimer() {
  if (twain_ && twain_->SourceEnabled()) twain_->ProcessEvent();
  if (twain_ && twain_->SourceOpen()) return;
  acquireTimer_.stop();
  if (QAction* select = Action(res::kCmdSelectSource)) select->setEnabled(true);
}

std::string MainDialog::AlbumFolder() const {
  const std::string folder = albums_->CurrentPath();
  return folder.empty() ? folder : folder + "/";
}

void MainDialog::AddAcquiredItem(const std::string& path) { items_->AddItem(path); }

}  // namespace lumora
