// MainDialog as the photo editor's host: the editor's form of the window
// (the full work area with the album controls hidden), its buttons, and the
// item list the editor steps through and refreshes.
#include "app/MainDialog.h"

#include <algorithm>

#include "app/AlbumBrowser.h"
#include "app/AlbumListView.h"
#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "app/SkinButton.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/window/WindowSystem.h"
#include "sharing/DesktopWallpaper.h"

namespace lumora {

namespace {

// The window buttons stay while the editor is open; the layout toggle goes
// (the editor lives in the full layout).
constexpr uint32_t kKeptInEditor[] = {layout::kMarkButton, layout::kHelp, layout::kMinimize, layout::kClose};

}  // namespace

void MainDialog::ShowButton(uint32_t control, bool visible) {
  if (SkinButton* button = Button(control)) button->setVisible(visible);
}

void MainDialog::SetButtonLook(uint32_t control, int look) {
  if (SkinButton* button = Button(control)) button->SetLookState(look);
}

std::vector<std::string> MainDialog::ItemPaths() const { return items_->Paths(); }

int MainDialog::LastSelectedItem() const { return itemList_->LastSelectedRow(); }

void MainDialog::SelectItem(int row) {
  itemList_->SetCurrentRow(row);
  items_->OnClicked(row);
}

void MainDialog::RefreshItem(const std::string& path) { items_->RefreshItem(path); }

bool MainDialog::EnterEditorForm() {
  const ScreenRect area = services_.desktop.WorkArea();
  if (!layout::WorkAreaLargeEnough(area)) {
    services_.prompts.ShowMessage(messages_.Text(6), messages_.Caption(), box::kIconStop);
    EndProcess(0);
    return false;
  }
  if (mode_ == layout::WindowMode::Original) normalPosition_ = pos();
  mode_ = layout::WindowMode::Max;
  WriteMachineString(services_.registry, SuiteKey, kTopmost, kTopmostMax);
  clearMask();
  setGeometry(area.left, area.top, area.width(), area.height());
  editorShown_ = true;
  maxEntered_ = true;
  itemList_->hide();
  albumList_->hide();
  for (const auto& [control, button] : buttons_) {
    button->setVisible(std::ranges::find(kKeptInEditor, control) != std::end(kKeptInEditor));
  }
  PlaceButtons();
  update();
  return true;
}

void MainDialog::LeaveEditorForm() {
  editorShown_ = false;
  mode_ = layout::WindowMode::Max;
  WriteMachineString(services_.registry, SuiteKey, kTopmost, kTopmostMax);
  ApplyLook();
  PlaceLists(layout::MaxLists({width(), height()}));
  PlaceButtons();
  ShowButtons();
  itemList_->show();
  albumList_->show();
  update();
  // The list is made again at the full layout's cell size.
  albums_->LoadItems();
}

DesktopWallpaper& MainDialog::Wallpaper() {
  if (!wallpaper_) {
    wallpaper_ = std::make_unique<DesktopWallpaper>(
        services_.registry,
        services_.wallpaperBackends ? services_.wallpaperBackends() : DesktopWallpaper::SessionBackends());
  }
  return *wallpaper_;
}

void MainDialog::ShowDesktop() {
  if (WindowSystem* system = windows()) system->ShowDesktop();
  showMinimized();
}

}  // namespace lumora
