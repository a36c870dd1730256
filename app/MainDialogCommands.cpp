// MainDialog's command table and the window commands it owns: help, about,
// minimise, the layout toggle, close, the menu buttons' popups and the item
// list's context menu and Delete key; the album and item commands go to the
// AlbumBrowser, the ItemBrowser and the ItemCommands (Export and the drops
// too), "Select Source..." and "Acquire..." to MainDialogAcquire.cpp, the
// launch and web buttons to the CompanionLauncher, "&Edit", "Open" and the
// editor's buttons to the PhotoEditor; Mail hands the selected items to the
// mail client.
#include "app/MainDialog.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <array>

#include "app/AboutDialog.h"
#include "app/AlbumBrowser.h"
#include "app/ItemBrowser.h"
#include "app/ItemCommands.h"
#include "app/SkinButton.h"
#include "platform/Desktop.h"
#include "platform/Registry.h"
#include "platform/MailClient.h"
#include "platform/Shell.h"
#include "resources/ResourceIds.h"
#include "sharing/MailMessage.h"

namespace lumora {

namespace {

// The popup of menu 252 that the item list shows on a right click.
constexpr std::string_view kItemMenuPopup = "mouse";

// The help file in the folder of the "AppPath" setting.
constexpr char kHelpFileFormat[] = "%1/Lumora.chm";

// "No Picture Selected".
constexpr uint32_t kNoPictureSelected = 18;

bool IsSortCommand(uint32_t command) {
  return command == kSortByName || command == kSortByDate || command == kSortByType || command == kSortForward ||
         command == kSortReverse;
}

}  // namespace

std::span<const MainDialog::CommandEntry> MainDialog::Commands() {
  using namespace layout;
  constexpr auto sortBy = [](MainDialog& window, uint32_t id) { window.items_->SortBy(id); };
  constexpr auto launch = [](MainDialog& window, uint32_t id) { window.companions_->OnLaunchButton(id); };
  constexpr auto web = [](MainDialog& window, uint32_t id) { window.companions_->OnWebButton(id); };
  static constexpr std::array<CommandEntry, 45> kTable = {{
      {kHelp, [](MainDialog& window, uint32_t id) { window.OnHelp(id); }},
      {kHelpSmall, [](MainDialog& window, uint32_t id) { window.OnHelp(id); }},
      {kMinimize, [](MainDialog& window, uint32_t id) { window.OnMinimize(id); }},
      {kMinimizeSmall, [](MainDialog& window, uint32_t id) { window.OnMinimize(id); }},
      {kMaximize, [](MainDialog& window, uint32_t id) { window.OnToggleLayout(id); }},
      {kMaximizeSmall, [](MainDialog& window, uint32_t id) { window.OnToggleLayout(id); }},
      {kClose, [](MainDialog& window, uint32_t id) { window.OnCloseCommand(id); }},
      {kCloseSmall, [](MainDialog& window, uint32_t id) { window.OnCloseCommand(id); }},
      {kSortButton, [](MainDialog& window, uint32_t id) { window.OnMenuButton(id); }},
      {kFileButton, [](MainDialog& window, uint32_t id) { window.OnMenuButton(id); }},
      {kImportButton, [](MainDialog& window, uint32_t id) { window.OnMenuButton(id); }},
      {res::kCmdAbout, [](MainDialog& window, uint32_t id) { window.OnAbout(id); }},
      {kNewAlbum, [](MainDialog& window, uint32_t) { window.albums_->NewAlbum(); }},
      {kDeleteAlbum, [](MainDialog& window, uint32_t) { window.albums_->DeleteAlbum(); }},
      {kRenameAlbum, [](MainDialog& window, uint32_t) { window.albums_->RenameAlbum(); }},
      {kAlbumInfo, [](MainDialog& window, uint32_t) { window.albums_->ShowInfo(); }},
      {res::kCmdSortByName, sortBy},
      {res::kCmdSortByType, sortBy},
      {res::kCmdSortByDate, sortBy},
      {res::kCmdSortForward, sortBy},
      {res::kCmdSortReverse, sortBy},
      {res::kCmdSelectAll, [](MainDialog& window, uint32_t) { window.items_->SelectAll(); }},
      {res::kCmdRefresh, [](MainDialog& window, uint32_t) { window.albums_->LoadItems(); }},
      {res::kCmdAdd, [](MainDialog& window, uint32_t) { window.itemCommands_->Add(); }},
      {res::kCmdDelete, [](MainDialog& window, uint32_t) { window.itemCommands_->Delete(); }},
      {res::kCmdRename, [](MainDialog& window, uint32_t) { window.itemCommands_->Rename(); }},
      {res::kCmdDuplicate, [](MainDialog& window, uint32_t) { window.itemCommands_->Duplicate(); }},
      {res::kCmdInformation, [](MainDialog& window, uint32_t) { window.itemCommands_->ShowInfo(); }},
      {kExportButton, [](MainDialog& window, uint32_t) { window.itemCommands_->Export(); }},
      {res::kCmdSelectSource, [](MainDialog& window, uint32_t) { window.OnSelectSource(); }},
      {res::kCmdAcquire, [](MainDialog& window, uint32_t) { window.OnAcquire(); }},
      {kMailButton, [](MainDialog& window, uint32_t id) { window.OnMail(id); }},
      {kEditButton, [](MainDialog& window, uint32_t) { window.editor_->Enter(); }},
      {res::kCmdOpen, [](MainDialog& window, uint32_t) { window.editor_->Enter(); }},
      {kTvButton, launch},
      {kTvButtonSmall, launch},
      {kClipButton, launch},
      {kClipButtonSmall, launch},
      {kEncodeButton, launch},
      {kEncodeButtonSmall, launch},
      {kVcdButton, launch},
      {kVcdButtonSmall, launch},
      {kMarkButton, web},
      {kMarkButtonSmall, web},
      {kHomeButton, web},
  }};
  return kTable;
}

bool MainDialog::OnCommand(uint32_t id) {
  QAction* action = Action(id);
  if (!action) return false;
  action->trigger();
  return true;
}

void MainDialog::OnHelp(uint32_t) {
  std::string folder;
  ReadMachineString(services_.registry, AppKey, kAppPath, folder, "");
  services_.shell.OpenDocument(QString(kHelpFileFormat).arg(QString::fromStdString(folder)).toStdString());
}

void MainDialog::OnMinimize(uint32_t id) {
  showMinimized();
  if (SkinButton* button = Button(id)) button->Redraw();
}

void MainDialog::OnToggleLayout(uint32_t) {
  if (mode_ == layout::WindowMode::Max)
    EnterCompactLayout();
  else
    EnterMaxLayout();
}

void MainDialog::OnCloseCommand(uint32_t) { close(); }

void MainDialog::PrepareClose() {
  if (closing_) return;
  closing_ = true;
  {
    WaitCursor wait(services_.desktop);
    WriteMachineString(services_.registry, SuiteKey, kTopmost, kTopmostRemocon);
    LowerCompanions();
    for (const uint32_t control : {layout::kClose, layout::kCloseSmall}) {
      if (SkinButton* button = Button(control)) button->Redraw();
    }
  }
}

void MainDialog::BuildMenu(QMenu& menu, const MenuItem& popup) {
  for (const MenuItem& item : popup.children) {
    switch (item.kind) {
      case MenuItem::Kind::kSeparator:
        menu.addSeparator();
        break;
      case MenuItem::Kind::kPopup:
        BuildMenu(*menu.addMenu(QString::fromStdString(item.text)), item);
        break;
      case MenuItem::Kind::kCommand: {
        // An entry holds its command's action; a grayed entry, and one whose
        // command the window does not carry out, holds an action of the
        // menu's own that does nothing.
        QAction* action = item.grayed ? nullptr : Action(item.command);
        if (!action) {
          action = new QAction(&menu);
          action->setEnabled(!item.grayed);
        }
        action->setText(QString::fromStdString(item.text));
        menu.addAction(action);
        // The sort entries show the sort in force.
        const bool checked =
            IsSortCommand(item.command)
                ? item.command == items_->Sorting().sortID || item.command == items_->Sorting().sortFR
                : item.checked;
        action->setCheckable(checked);
        action->setChecked(checked);
        break;
      }
    }
  }
}

void MainDialog::OnMenuButton(uint32_t id) {
  const layout::PopupPlace* place = layout::PopupOf(id);
  if (!place || !mainMenu_) return;
  const MenuItem* popup = mainMenu_->FindPopup(place->popup);
  if (!popup) return;
  QMenu menu(this);
  BuildMenu(menu, *popup);
  // The button is drawn afresh as the menu goes, before the chosen entry's
  // action runs.
  if (SkinButton* button = Button(id)) connect(&menu, &QMenu::aboutToHide, button, &SkinButton::Redraw);
  // The point lies on the window, which covers the work area in the layout
  // these buttons belong to.
  const layout::Point at = layout::PopupPoint(*place, width());
  services_.runMenu(menu, mapToGlobal(QPoint(at.x, at.y)));
}

void MainDialog::OnItemContextMenu(const QPoint& at) {
  if (!itemMenu_) return;
  const MenuItem* popup = itemMenu_->FindPopup(kItemMenuPopup);
  if (!popup) return;
  QMenu menu(this);
  BuildMenu(menu, *popup);
  services_.runMenu(menu, at);
}

void MainDialog::OnAbout(uint32_t) {
  AboutDialog about(messages_.Caption(), skin_, services_.shell, this);
  services_.runDialog(about);
}

void MainDialog::OnMail(uint32_t) {
  if (!mail_) {
    MailClient* client = services_.mail;
    if (!client) {
      ownMail_ = std::make_unique<XdgMailClient>();
      client = ownMail_.get();
    }
    mail_ = std::make_unique<MailService>(*client);
  }
  const std::vector<std::optional<std::string>> selected = itemCommands_->SelectedPaths();
  const MailTexts texts{messages_.Caption(), messages_.Text(kNoPictureSelected)};
  {
    WaitCursor wait(services_.desktop);
    MailItems(*mail_, services_.prompts, texts, selected);
  }
  update();
}

void MainDialog::OnItemDeleteKey() { OnCommand(res::kCmdDelete); }

int MainDialog::OnDragOver(const QPoint& point) { return itemCommands_->DropEffectAt(point); }

void MainDialog::OnDropFiles(const QByteArray& fileList) {
  // The album under the pointer decides where the files go.
  if (const std::optional<std::vector<std::string>> paths = ReadDropFiles(fileList))
    itemCommands_->DropFiles(*paths, mapFromGlobal(QCursor::pos()));
}

}  // namespace lumora
