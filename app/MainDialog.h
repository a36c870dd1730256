// MainDialog: the program's only top-level window, a skinned, caption-less
// drop dialog with two layouts, the compact panel ("Original", 178 pixels
// wide, shaped by the skin's outline) and the full work area ("MAX").
//
// It is the shell of the window: it builds every control (the window, menu,
// album and launch buttons (SkinButton), the album list (1002) and the item
// list (1039)) and hands each list's behaviour to its browser, the
// AlbumBrowser and the ItemBrowser. Every command of the command table is
// one QAction, keyed by its numeric id (a button's control id or a menu
// command id): the buttons, the menus built from the resource menus and
// OnCommand all trigger that action, whose handler hands the command to the
// part of the program that owns it; this window itself owns help, about,
// minimise, the layout toggle, close and the three menu buttons' popups.
//
// Files: MainDialog.cpp (construction, initialisation, events, destruction),
// MainDialogLayout.cpp (the layouts, the skin, painting), MainDialogCommands.cpp
// (the command table, the window commands and the menus), MainDialogAcquire.cpp
// ("Select Source...", "Acquire..." and timer 2, over the TwainLink).
#pragma once

#include <QImage>
#include <QPoint>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/CompanionLauncher.h"
#include "app/MainLayout.h"
#include "app/MessageStrings.h"
#include "app/Skin.h"
#include "dropdialog/QvDropDialog.h"
#include "editor/PhotoEditor.h"
#include "media/twain/TwainLink.h"
#include "resources/Menu.h"

class QAction;
class QMenu;
class QPainter;

namespace lumora {

class AlbumBrowser;
class DesktopWallpaper;
class MailClient;
struct MailService;
class WallpaperBackend;
class AlbumListView;
class Desktop;
class ItemBrowser;
class ItemCommands;
class ItemListView;
class Prompts;
class Registry;
class Resources;
class Shell;
class SkinButton;
class SplashWindow;
class ToolTipControl;
class WindowSystem;

class MainDialog final : public QvDropDialog, private EditorHost, private TwainOwner {
 public:
  static constexpr int kTemplateId = 102;

  // What the window works with. The function seams stand for the calls that
  // would end the process or enter a nested event loop; empty ones mean the
  // real thing.
  struct Services {
    Registry& registry;
    Shell& shell;
    Prompts& prompts;
    Desktop& desktop;
    const Resources& resources;
    // The base class posts message 2011 through it; null: the window system
    // matching Qt's platform.
    WindowSystem* windows = nullptr;
    // Ends the process at once with this code. Default: std::exit.
    std::function<void(int code)> exitProcess;
    // Shows a popup menu with its top-left corner at a global point until the
    // user chooses: the menu hides, then the chosen action triggers; returns
    // that action or null. Default: QMenu::exec.
    std::function<QAction*(QMenu&, const QPoint&)> runMenu;
    // Runs a modal dialog (the About box) to its end. Default: QDialog::exec.
    std::function<int(QDialog&)> runDialog;
    // Runs a drag of items to its end and returns the target's choice.
    // Default: QDrag::exec.
    std::function<Qt::DropAction(QDrag&, Qt::DropActions)> runDrag;
    // The companion launcher's media checks and pause; empty: the real ones.
    CompanionLauncher::Seams companionSeams;
    // Loads the scanners' source manager. Default: SANE's library.
    TwainLink::Loader loadSourceManager;
    // The mail client the Mail button hands the selected items to; null:
    // the desktop's (xdg-email).
    MailClient* mail = nullptr;
    // The wallpaper backends, in the order they are tried; empty: the
    // session's (DesktopWallpaper::SessionBackends), found on first use.
    std::function<std::vector<std::unique_ptr<WallpaperBackend>>()> wallpaperBackends;
  };
  // Timer 2: while a source is open, its events are polled this often.
  static constexpr int kAcquireTimerMs = 70;

  // Where the companion programs' windows are kept in step with this
  // window's layout: lowered when the compact layout returns, when the
  // window closes and when it is minimised in the full layout; raised when
  // the full layout is entered and when the window is restored in it. The
  // companion launcher's, unless replaced.
  struct CompanionCoupling {
    std::function<void()> lower;
    std::function<void()> raise;
  };

  explicit MainDialog(Services services);
  ~MainDialog() override;

  // Triggers the action of command `id`; false when the command table has
  // no handler for it.
  bool OnCommand(uint32_t id);
  // The action of command `id`, or null when the table has no handler for it.
  QAction* Action(uint32_t id) const;

  void SetCompanionCoupling(CompanionCoupling coupling) { coupling_ = std::move(coupling); }

  // --- State other parts of the program and the tests read.
  layout::WindowMode Mode() const { return mode_; }
  // The compact window's saved top-left corner ("WindowPosLeft", "WindowPosTop").
  QPoint NormalPosition() const { return normalPosition_; }
  layout::Size ThumbnailCell() const { return thumbnailCell_; }
  AlbumListView* AlbumList() const { return albumList_; }
  ItemListView* ItemList() const { return itemList_; }
  ItemBrowser& Items() const { return *items_; }
  ItemCommands& ItemOps() const { return *itemCommands_; }
  AlbumBrowser& Albums() const { return *albums_; }
  PhotoEditor& Editor() const { return *editor_; }
  CompanionLauncher& Companions() const { return *companions_; }
  // The acquisition link, once "Select Source..." made it; null before.
  TwainLink* Twain() const { return twain_.get(); }
  bool AcquireTimerActive() const { return acquireTimer_.isActive(); }
  // The button with this control id, or null.
  SkinButton* Button(uint32_t control) const;
  ToolTipControl& ButtonTips() const { return *buttonTips_; }
  ToolTipControl& ItemTips() const { return *itemTips_; }
  const MessageStrings& Messages() const { return messages_; }
  const Skin& WindowSkin() const { return skin_; }
  // True once the process was told to end (only a test's exit seam returns).
  bool ProcessEnded() const { return ended_; }

  bool OnInitDialog() override;
  // Drops of files: the effect by the place (album list, item list), and
  // the files taken into the albums (ItemCommands).
  using QvDropDialog::OnDragOver;
  int OnDragOver(const QPoint& point) override;
  void OnDropFiles(const QByteArray& fileList) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  struct CommandEntry {
    uint32_t id;
    void (*handler)(MainDialog& window, uint32_t id);
  };
  static std::span<const CommandEntry> Commands();

  // --- Construction and initialisation (MainDialog.cpp).
  void CreateControls();
  void CreateActions();
  void CreateButtons();
  bool CheckWorkArea();
  void SetDefaults();
  void PlaceWindow();
  void SetUpItemList();
  void CreateToolTips();
  void EndProcess(int code);
  // The window's destroy sequence: settings, timers, skin, menu, texts.
  void OnDestroy();

  // --- Layouts and skin (MainDialogLayout.cpp).
  // The compact layout at start-up: the start size, the skin, lists and buttons.
  bool EnterStartLayout();
  // Back from the full layout; false when the process was ended.
  bool EnterCompactLayout();
  void EnterMaxLayout();
  // Decodes the compact background and sets the outline; ends the process
  // when the background is missing.
  bool LoadSkin();
  void ApplyLook();
  void PlaceLists(const layout::ListPlaces& places);
  void PlaceButtons();
  void ShowButtons();
  // Repeats the work-area check from painting: the message and the end come
  // once painting is over.
  void RecheckWorkArea();
  void LowerCompanions();
  void RaiseCompanions();
  void PaintFrame(QPainter& painter, const QRect& frame);

  // --- The photo editor's host (MainDialogEditor.cpp).
  QWidget& Window() override { return *this; }
  void ShowButton(uint32_t control, bool visible) override;
  void SetButtonLook(uint32_t control, int look) override;
  std::vector<std::string> ItemPaths() const override;
  int LastSelectedItem() const override;
  void SelectItem(int row) override;
  void RefreshItem(const std::string& path) override;
  bool EnterEditorForm() override;
  void LeaveEditorForm() override;
  DesktopWallpaper& Wallpaper() override;
  void ShowDesktop() override;

  // --- Acquisition (MainDialogAcquire.cpp).
  void OnSelectSource();
  void OnAcquire();
  // Timer 2: offers the source its events; once the source is closed, stops
  // and enables "Select Source..." again.
  void OnAcquireTimer();
  std::string AlbumFolder() const override;
  void AddAcquiredItem(const std::string& path) override;

  // --- Commands (MainDialogCommands.cpp).
  void OnHelp(uint32_t id);
  void OnMinimize(uint32_t id);
  void OnToggleLayout(uint32_t id);
  void OnCloseCommand(uint32_t id);
  void OnMenuButton(uint32_t id);
  void OnAbout(uint32_t id);
  // Mail (1018): the selected items as the attachments of a new message in
  // the mail client's compose window.
  void OnMail(uint32_t id);
  void OnItemDeleteKey();
  // The item list's context menu (menu 252) at a global point.
  void OnItemContextMenu(const QPoint& at);
  // The close steps before the window ends its modal run.
  void PrepareClose();
  void BuildMenu(QMenu& menu, const MenuItem& popup);

  Services services_;
  Skin skin_;
  MessageStrings messages_;
  CompanionCoupling coupling_;

  layout::WindowMode mode_ = layout::WindowMode::Original;
  layout::Size thumbnailCell_ = layout::kThumbnailCellOriginal;
  QPoint normalPosition_;
  bool maxEntered_ = false;      // the full layout was entered once: its frame is drawn
  bool initialised_ = false;     // OnInitDialog ran to its end
  bool ended_ = false;           // the process was told to end
  bool closing_ = false;         // the close steps ran
  bool workAreaRecheckQueued_ = false;
  std::optional<QPoint> dragOffset_;  // pointer minus window corner while dragging

  QImage compactBackground_;
  std::map<uint32_t, QAction*> actions_;
  std::map<uint32_t, SkinButton*> buttons_;
  AlbumListView* albumList_ = nullptr;
  ItemListView* itemList_ = nullptr;
  std::unique_ptr<ItemBrowser> items_;
  std::unique_ptr<AlbumBrowser> albums_;
  std::unique_ptr<ItemCommands> itemCommands_;
  std::unique_ptr<PhotoEditor> editor_;
  std::unique_ptr<CompanionLauncher> companions_;
  bool editorShown_ = false;  // the editor's form replaces the album controls
  ToolTipControl* itemTips_ = nullptr;
  ToolTipControl* buttonTips_ = nullptr;
  std::optional<Menu> mainMenu_;
  std::optional<Menu> itemMenu_;
  std::unique_ptr<SplashWindow> splash_;
  std::unique_ptr<TwainLink> twain_;
  QTimer acquireTimer_;
  std::unique_ptr<MailClient> ownMail_;
  std::unique_ptr<MailService> mail_;
  std::unique_ptr<DesktopWallpaper> wallpaper_;
};

}  // namespace lumora
