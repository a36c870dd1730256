// MainDialog: construction of the controls, the initialisation in its fixed
// order, the window's events (dragging, minimise and restore, close) and the
// destroy sequence.
#include "app/MainDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWindowStateChangeEvent>

#include <cstdlib>

#include "app/AlbumBrowser.h"
#include "app/AlbumListView.h"
#include "app/HomePage.h"
#include "app/ItemBrowser.h"
#include "app/ItemCommands.h"
#include "app/ItemListView.h"
#include "app/SkinButton.h"
#include "app/ToolTipControl.h"
#include "ui/SplashWindow.h"
#include "platform/Desktop.h"
#include "platform/MailClient.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "resources/SkinLayout.h"
#include "sharing/DesktopWallpaper.h"
#include "sharing/MailMessage.h"

namespace lumora {

namespace {

// The splash stays until the window closes it.
constexpr int kSplashUntilClosed = 0;

QvDropDialog::Platform BasePlatform(const MainDialog::Services& services) {
  QvDropDialog::Platform platform;
  platform.registry = &services.registry;
  platform.windows = services.windows;
  platform.desktop = &services.desktop;
  platform.dropMenu = services.resources.GetMenu(res::kMenuDropChoice);
  platform.runDrag = services.runDrag;
  return platform;
}

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

MainDialog::MainDialog(Services services)
    : QvDropDialog(kTemplateId, nullptr, BasePlatform(services)),
      services_(std::move(services)),
      skin_(services_.resources, services_.desktop.ProgramFolder()) {
  // Caption-less, with a taskbar entry that can minimise it.
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowSystemMenuHint);
  if (!services_.exitProcess) services_.exitProcess = [](int code) { std::exit(code); };
  if (!services_.runMenu) services_.runMenu = [](QMenu& menu, const QPoint& at) { return menu.exec(at); };
  if (!services_.runDialog) services_.runDialog = [](QDialog& dialog) { return dialog.exec(); };
  CreateControls();
}

MainDialog::~MainDialog() { OnDestroy(); }

void MainDialog::CreateControls() {
  albumList_ = new AlbumListView(this);
  itemList_ = new ItemListView(this);
  items_ = std::make_unique<ItemBrowser>(
      ItemBrowser::Services{services_.resources, services_.prompts, services_.shell, services_.desktop, messages_},
      *itemList_, *this);
  albums_ = std::make_unique<AlbumBrowser>(
      AlbumBrowser::Services{services_.registry, services_.shell, services_.prompts, services_.desktop, messages_,
                             skin_, services_.runDialog},
      *albumList_, *items_, *this);
  itemCommands_ = std::make_unique<ItemCommands>(
      ItemCommands::Services{services_.resources, services_.prompts, services_.shell, messages_,
                             services_.runDialog},
      *itemList_, *items_, *albumList_, *albums_, *this);
  itemList_->OnClicked([this](int row) { items_->OnClicked(row); });
  editor_ = std::make_unique<PhotoEditor>(
      PhotoEditor::Services{services_.prompts, services_.shell, services_.desktop, services_.resources},
      static_cast<EditorHost&>(*this));
  itemList_->OnDoubleClicked([this](int row) {
    if (items_->OnDoubleClicked(row)) editor_->Enter();
  });
  companions_ = std::make_unique<CompanionLauncher>(
      CompanionLauncher::Services{services_.registry, services_.shell, services_.prompts, services_.desktop,
                                  messages_, services_.windows, services_.companionSeams},
      CompanionLauncher::Host{
          [this] { return albums_->CurrentPath(); }, [this] { return mode_ == layout::WindowMode::Max; },
          [this](uint32_t control) { return Button(control); }, [this] { setFocus(); },
          // Queued: during initialisation the window is not running yet.
          [this] { QMetaObject::invokeMethod(this, [this] { OnCommand(layout::kClose); }, Qt::QueuedConnection); }});
  coupling_ = {[this] { companions_->LowerCompanions(); }, [this] { companions_->RaiseCompanions(); }};
  itemList_->OnDeleteKey([this] { OnItemDeleteKey(); });
  itemList_->OnContextMenu([this](const QPoint& at) { OnItemContextMenu(at); });
  CreateActions();
  CreateButtons();
  itemTips_ = new ToolTipControl(this);
  buttonTips_ = new ToolTipControl(this);
  itemList_->SetTips(itemTips_);
}

void MainDialog::CreateActions() {
  for (const CommandEntry& entry : Commands()) {
    auto* action = new QAction(this);
    connect(action, &QAction::triggered, this, [this, entry] { entry.handler(*this, entry.id); });
    actions_[entry.id] = action;
  }
  // The editor's buttons go to the editor.
  for (const uint32_t id : PhotoEditor::Commands()) {
    auto* action = new QAction(this);
    connect(action, &QAction::triggered, this, [this, id] { editor_->OnCommand(id); });
    actions_[id] = action;
  }
}

QAction* MainDialog::Action(uint32_t id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void MainDialog::CreateButtons() {
  auto make = [this](uint32_t control, std::string_view setName) {
    if (buttons_.contains(control)) return;
    auto* button = new SkinButton(skin_, control, this);
    button->SetTransparentColour(qRgb(skin::kKeyRed, skin::kKeyGreen, skin::kKeyBlue), skin::kButtonTolerance);
    if (const skin::ButtonSet* set = skin::FindButtonSet(setName))
      button->SetBitmaps(set->normal, 0, set->hover, set->active, 0);
    button->hide();
    if (QAction* action = Action(control)) connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    buttons_[control] = button;
  };
  for (const skin::ButtonPlace& place : skin::kCompactButtons) make(place.control, place.set);
  for (const skin::ButtonPlace& place : skin::kMaxButtons) make(place.control, place.set);
  for (const skin::ButtonPlace& place : skin::kEditorButtons) make(place.control, place.set);
  for (const layout::UnplacedButton& button : layout::kUnplacedButtons) make(button.control, button.set);
  for (const uint32_t control : layout::kDisabledButtons) buttons_.at(control)->setEnabled(false);
}

SkinButton* MainDialog::Button(uint32_t control) const {
  const auto found = buttons_.find(control);
  return found == buttons_.end() ? nullptr : found->second;
}

bool MainDialog::OnInitDialog() {
  QvDropDialog::OnInitDialog();
  messages_.Load(services_.resources);
  if (!CheckWorkArea()) return false;

  splash_ = std::make_unique<SplashWindow>(services_.desktop, services_.resources.Bitmap(res::kBitmapSplash),
                                           kSplashUntilClosed);
  splash_->Show();

  setWindowIcon(skin_.Icon(res::kIconApplication));
  DragAcceptFiles(true);
  setWindowTitle(Utf8(messages_.Caption()));

  SetDefaults();
  companions_->RegisterMediaFilters();

  mainMenu_ = services_.resources.GetMenu(res::kMenuMain);
  itemMenu_ = services_.resources.GetMenu(res::kMenuItemContext);
  companions_->ResumeCompanionWatch();
  PlaceWindow();
  SetUpItemList();
  albums_->SetLayout(mode_);
  albums_->Build();

  if (!EnterStartLayout()) return false;
  skin_.LoadBackgroundPieces();
  CreateToolTips();
  splash_.reset();
  initialised_ = true;
  return true;
}

bool MainDialog::CheckWorkArea() {
  if (layout::WorkAreaLargeEnough(services_.desktop.WorkArea())) return true;
  services_.prompts.ShowMessage(messages_.Text(6), messages_.Caption(), box::kIconStop);
  EndProcess(0);
  return false;
}

void MainDialog::EndProcess(int code) {
  ended_ = true;
  services_.exitProcess(code);
}

void MainDialog::SetDefaults() {
  resize(layout::kStartSize.width, layout::kStartSize.height);
  mode_ = layout::WindowMode::Original;
  thumbnailCell_ = layout::kThumbnailCellOriginal;
  WriteMachineString(services_.registry, SuiteKey, kTopmost, kTopmostRemocon);
}

void MainDialog::PlaceWindow() {
  const WindowPosition saved = ReadWindowPosition(services_.registry);
  normalPosition_ = QPoint(saved.left, saved.top);
  const ScreenRect area = services_.desktop.WorkArea();
  const layout::Size size{width(), height()};
  const layout::Point at = layout::SavedPlacement(saved, size, area).value_or(layout::Centred(size, area));
  move(at.x, at.y);
}

void MainDialog::SetUpItemList() { items_->SetLayout(mode_); }

void MainDialog::CreateToolTips() {
  itemTips_->AddTool(itemList_->viewport(), Utf8(layout::kItemListTip));
  buttonTips_->SetMaxTipWidth(layout::kButtonTipMaxWidth);
  for (const layout::ButtonTip& tip : layout::kButtonTips) {
    SkinButton* button = Button(tip.control);
    if (!button) continue;
    const std::string text = tip.string == layout::kTipHomePage ? std::string(kHomePageAddress)
                                                                 : services_.resources.String(tip.string).value_or("");
    buttonTips_->AddTool(button, Utf8(text));
  }
  const auto editorTip = [this](uint32_t control, uint32_t string) {
    if (SkinButton* button = Button(control))
      buttonTips_->AddTool(button, Utf8(services_.resources.String(string).value_or("")));
  };
  for (const editor::Tip& tip : editor::kTips) editorTip(tip.control, tip.string);
  for (const editor::Tip& tip : editor::kZoomTips) editorTip(tip.control, tip.string);
  for (const editor::LevelRow& row : editor::kLevelRows) {
    editorTip(row.down, row.downTip);
    editorTip(row.up, row.upTip);
  }
}

void MainDialog::mousePressEvent(QMouseEvent* event) {
  // The free background moves the compact window, as a caption would.
  if (event->button() == Qt::LeftButton && mode_ == layout::WindowMode::Original) {
    dragOffset_ = event->globalPosition().toPoint() - pos();
    setCursor(Qt::SizeAllCursor);
  }
  QvDropDialog::mousePressEvent(event);
}

void MainDialog::mouseMoveEvent(QMouseEvent* event) {
  if (dragOffset_ && (event->buttons() & Qt::LeftButton)) move(event->globalPosition().toPoint() - *dragOffset_);
  QvDropDialog::mouseMoveEvent(event);
}

void MainDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (dragOffset_ && event->button() == Qt::LeftButton) {
    dragOffset_.reset();
    unsetCursor();
    normalPosition_ = pos();
  }
  QvDropDialog::mouseReleaseEvent(event);
}

void MainDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && mode_ == layout::WindowMode::Max) {
    const bool wasMinimised = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
    const bool minimised = windowState() & Qt::WindowMinimized;
    if (minimised && !wasMinimised) LowerCompanions();
    if (wasMinimised && !minimised) RaiseCompanions();
  }
  QvDropDialog::changeEvent(event);
}

void MainDialog::closeEvent(QCloseEvent* event) {
  // An edit whose save failed keeps the window open.
  if (!closing_ && !editor_->CloseForExit()) {
    event->ignore();
    return;
  }
  // A load under way stops at once: its items would go into a closing window.
  items_->CancelLoad();
  PrepareClose();
  QvDropDialog::closeEvent(event);
}

void MainDialog::reject() {
  // Only the close steps end the window (its close buttons, the window
  // manager's close); Escape, which QDialog turns into a reject, does not:
  // one Escape too many after a popup must not end the session.
  if (closing_) QvDropDialog::reject();
}

void MainDialog::OnDestroy() {
  if (!initialised_ || ended_) return;
  acquireTimer_.stop();
  WriteExitSettings(services_.registry,
                    {items_->Sorting(), {normalPosition_.x(), normalPosition_.y()}, albums_->CurrentPath()});
  skin_.Release();
  compactBackground_ = QImage();
  items_->Clear();
  albums_->Clear();
  splash_.reset();
  mainMenu_.reset();
  itemMenu_.reset();
  twain_.reset();
  messages_.Clear();
}

}  // namespace lumora
