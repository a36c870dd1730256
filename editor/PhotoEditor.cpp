#include "editor/PhotoEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>

#include <array>
#include <cstdio>
#include <filesystem>

#include "editor/ImageCanvas.h"
#include "editor/LevelBar.h"
#include "editor/ViewMath.h"
#include "editor/effects/ApplyEffects.h"
#include "editor/effects/Crop.h"
#include "editor/effects/Selection.h"
#include "io/FileKinds.h"
#include "media/codecs/PictureFiles.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "sharing/DesktopWallpaper.h"

namespace lumora {

using namespace editor;

namespace {

constexpr int kLookNormal = 0;
constexpr int kLookActive = 2;
constexpr int kLabelPointSize = 8;
const QColor kLabelColour(40, 52, 74);

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QRect BoxRect(const Box& box, int width, int height) {
  return QRect(box.left.At(width), box.top.At(height), box.width, box.height);
}

// Every editor button.
constexpr auto kCommands = [] {
  std::array<uint32_t, skin::kEditorButtons.size()> ids{};
  size_t n = 0;
  for (const skin::ButtonPlace& place : skin::kEditorButtons) ids[n++] = place.control;
  return ids;
}();

// Videos and recordings are not pictures the editor opens.
bool IsStill(const std::string& path) {
  const FileKind* kind = FileKindOfExtension(path);
  return !kind || kind->still;
}

}  // namespace

// The editor's keys while it is open: Left and Right step through the
// album, Escape closes, Ctrl+S saves, Ctrl+plus and Ctrl+minus zoom, and the
// backslash key held shows the unedited picture.
class PhotoEditor::KeyFilter final : public QObject {
 public:
  explicit KeyFilter(PhotoEditor& editor) : editor_(editor) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    // Keys of the window only, and none while another modal window (a
    // message box, a file dialog) is up; the window itself runs modally.
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget& window = editor_.host_.Window();
    const QWidget* modal = QApplication::activeModalWidget();
    if (!widget || widget->window() != &window || (modal && modal != &window)) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Backslash) {
      if (!key->isAutoRepeat()) editor_.canvas_->ShowEffectBase(event->type() == QEvent::KeyPress);
      return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const uint32_t command = CommandOf(*key);
    if (command == 0) return false;
    editor_.OnCommand(command);
    return true;
  }

 private:
  static uint32_t CommandOf(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
      switch (key.key()) {
        case Qt::Key_Left: return kPrev;
        case Qt::Key_Right: return kNext;
        case Qt::Key_Escape: return kClose;
        default: return 0;
      }
    }
    if (modifiers != Qt::ControlModifier && modifiers != (Qt::ControlModifier | Qt::ShiftModifier)) return 0;
    switch (key.key()) {
      case Qt::Key_S: return modifiers == Qt::ControlModifier ? kSave : 0;
      case Qt::Key_Plus:
      case Qt::Key_Equal: return kZoomIn;
      case Qt::Key_Minus: return kZoomOut;
      default: return 0;
    }
  }

  PhotoEditor& editor_;
};

PhotoEditor::PhotoEditor(Services services, EditorHost& host)
    : services_(services), host_(host), keys_(std::make_unique<KeyFilter>(*this)) {
  CreateControls();
}

PhotoEditor::~PhotoEditor() {
  if (open_) qApp->removeEventFilter(keys_.get());
}

std::span<const uint32_t> PhotoEditor::Commands() { return kCommands; }

void PhotoEditor::CreateControls() {
  QWidget& window = host_.Window();
  canvas_ = new ImageCanvas(levels_, &window);
  canvas_->hide();
  canvas_->OnSelectionChanged([this] { Recompute(); });
  canvas_->OnZoomChanged([this] { UpdateZoomList(); });

  zoomList_ = new QComboBox(&window);
  for (const std::string_view label : kZoomLabels) zoomList_->addItem(Utf8(label));
  QObject::connect(zoomList_, &QComboBox::currentIndexChanged, zoomList_, [this](int index) {
    if (!followingZoom_ && index >= 0 && size_t(index) < kZoomSteps.size()) canvas_->SetZoomStep(kZoomSteps[size_t(index)]);
  });

  blendList_ = new QComboBox(&window);
  for (int method = 0; method < kBlendMethods; ++method)
    blendList_->addItem(Utf8(services_.resources.String(kFirstBlendName + uint32_t(method)).value_or("")));
  blendList_->setCurrentIndex(kDefaultBlendMethod);
  QObject::connect(blendList_, &QComboBox::currentIndexChanged, blendList_,
                   [this](int index) { OnBlendChosen(index); });

  const auto tip = [this](QWidget& widget, uint32_t string) {
    widget.setToolTip(Utf8(services_.resources.String(string).value_or("")));
  };
  for (const Tip& t : kTips) {
    if (t.control == kZoomList) tip(*zoomList_, t.string);
    if (t.control == kBlendList) tip(*blendList_, t.string);
  }

  for (const LevelRow& row : kLevelRows) {
    const int maximum = BarMaximum(row.level);
    if (row.negativeBar != 0) {
      auto* negative = new LevelBar(&window, /*reversed=*/true);
      negative->SetMaximum(maximum);
      tip(*negative, row.label);
      bars_.emplace_back(row.negativeBar, negative);
    }
    auto* bar = new LevelBar(&window);
    bar->SetMaximum(maximum);
    tip(*bar, row.label);
    bars_.emplace_back(row.bar, bar);
  }
  progress_ = new LevelBar(&window);
  bars_.emplace_back(kEffectProgress, progress_);
  for (auto& [control, bar] : bars_) bar->hide();
  zoomList_->hide();
  blendList_->hide();
  UpdateBars();
  UpdateZoomList();
}

LevelBar* PhotoEditor::Bar(uint32_t control) const {
  for (const auto& [id, bar] : bars_) {
    if (id == control) return bar;
  }
  return nullptr;
}

void PhotoEditor::Place(int width, int height) {
  const skin::Area& view = skin::kEditorView;
  canvas_->setGeometry(QRect(QPoint(view.left.At(width), view.top.At(height)),
                             QPoint(view.right.At(width) - 1, view.bottom.At(height) - 1)));
  zoomList_->setGeometry(BoxRect(kZoomListBox, width, height));
  blendList_->setGeometry(BoxRect(kBlendListBox, width, height));
  progress_->setGeometry(BoxRect(kProgressBox, width, height));
  for (const LevelRow& row : kLevelRows) {
    const int top = RowTop(row) + kBarTopInRow;
    if (row.negativeBar != 0) {
      Bar(row.negativeBar)->setGeometry(kNegativeBarLeft, top, kPairBarWidth, kBarHeight);
      Bar(row.bar)->setGeometry(kPositiveBarLeft, top, kPairBarWidth, kBarHeight);
    } else {
      Bar(row.bar)->setGeometry(kSingleBarLeft, top, kSingleBarWidth, kBarHeight);
    }
  }
}

void PhotoEditor::PaintPanel(QWidget& window) const {
  if (!open_) return;
  QPainter painter(&window);
  QFont font = painter.font();
  font.setPointSize(kLabelPointSize);
  painter.setFont(font);
  painter.setPen(kLabelColour);
  const auto label = [&](int top, uint32_t string) {
    const QString text = Utf8(services_.resources.String(string).value_or("")).trimmed();
    painter.drawText(QRect(kRowLabelLeft, top, skin::kEditorPanelWidth - 2 * kRowLabelLeft, skin::kEditorRowLabel),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
  };
  for (const LevelRow& row : kLevelRows) {
    if (row.panel == panel_) label(RowTop(row) - skin::kEditorRowLabel, row.label);
  }
  if (panel_ == Panel::Distortion) label(kBlendLabelTop, kBlendLabel);
}

// ---- Showing the editor -----------------------------------------------------

void PhotoEditor::ShowControls(bool open) {
  for (const skin::ButtonPlace& place : skin::kEditorButtons) {
    const std::optional<Panel> panel = PanelOf(place.control);
    host_.ShowButton(place.control, open && (!panel || *panel == panel_));
  }
  for (const auto& [control, bar] : bars_) {
    const std::optional<Panel> panel = PanelOf(control);
    bar->setVisible(open && panel && *panel == panel_);
  }
  blendList_->setVisible(open && panel_ == Panel::Distortion);
  zoomList_->setVisible(open);
  canvas_->setVisible(open);
}

void PhotoEditor::ShowPanel(Panel panel) {
  panel_ = panel;
  ShowControls(open_);
  for (size_t i = 0; i < kPanelTabs.size(); ++i)
    host_.SetButtonLook(kPanelTabs[i], size_t(panel) == i ? kLookActive : kLookNormal);
  host_.Window().update(QRect(0, 0, skin::kEditorPanelWidth, host_.Window().height()));
}

void PhotoEditor::Enter() {
  const int row = host_.LastSelectedItem();
  const std::vector<std::string> paths = host_.ItemPaths();
  if (row < 0 || size_t(row) >= paths.size()) return;
  const std::string& path = paths[size_t(row)];
  const FileKind* kind = FileKindOfExtension(path);
  if (kind && (kind->format == FileFormat::Mpeg || kind->format == FileFormat::Avi)) {
    services_.shell.OpenDocument(path);
    return;
  }
  if (kind && kind->format == FileFormat::Recording) {
    const std::filesystem::path folder = services_.desktop.ProgramFolder();
    const std::filesystem::path player = folder / kPlayerName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(player, error) ||
        !services_.shell.StartProgram(player.string(), {kPlayerFileArgument, path}, folder.string())) {
      services_.prompts.ShowMessage(services_.resources.String(kNotInstalled).value_or(""), Caption(),
                                    box::kIconExclamation);
    }
    return;
  }
  if (!open_) {
    if (!host_.EnterEditorForm()) return;
    open_ = true;
    qApp->installEventFilter(keys_.get());
    Place(host_.Window().width(), host_.Window().height());
    ShowPanel(Panel::Distortion);
  }
  OpenPicture(path, row);
}

void PhotoEditor::OpenPicture(const std::string& path, int row) {
  path_ = path;
  row_ = row;
  {
    WaitCursor wait(services_.desktop);
    // A file that cannot be read leaves the view empty, without a message.
    (void)canvas_->LoadPicture(path);
  }
  ResetEffects();
}

std::string PhotoEditor::Caption() const {
  return services_.resources.String(res::kStringProgramName).value_or("");
}

bool PhotoEditor::HasPicture() const {
  return !canvas_->Displayed().empty() || (levels_.effectBaseTaken && !canvas_->EffectBase().empty());
}

// ---- Levels and recomputation -------------------------------------------------

void PhotoEditor::ResetEffects() {
  canvas_->ResetZoom();
  lumora::ResetEffects(levels_);
  trimmed_ = false;
  progress_->SetPosition(0);
  host_.SetButtonLook(kRegionSelect, kLookNormal);
  UpdateBars();
  UpdateZoomList();
  canvas_->PictureChanged();
}

void PhotoEditor::UpdateBars() {
  for (const LevelRow& row : kLevelRows) {
    const BarPositions positions = BarsFor(row.level, LevelOf(levels_, row.level));
    if (row.negativeBar != 0) Bar(row.negativeBar)->SetPosition(positions.negative);
    Bar(row.bar)->SetPosition(positions.positive);
  }
}

void PhotoEditor::UpdateZoomList() {
  followingZoom_ = true;
  zoomList_->setCurrentIndex(ZoomStepIndex(canvas_->ZoomStep()));
  followingZoom_ = false;
}

void PhotoEditor::Recompute() {
  if (!HasPicture()) {
    canvas_->PictureChanged();
    return;
  }
  WaitCursor wait(services_.desktop);
  const DibImage& source = levels_.effectBaseTaken ? canvas_->EffectBase() : canvas_->Displayed();
  const std::optional<PictureRect> selection =
      EffectSelection(levels_, canvas_->Geometry(), source.width(), source.height());
  progress_->show();
  const EffectProgress report{
      [this](int total) {
        progress_->SetMaximum(total);
        progress_->SetPosition(0);
        progress_->repaint();
      },
      [this](int position) {
        // Painted at once: the recomputation holds the event loop.
        if (progress_->SetPosition(position)) progress_->repaint();
      },
  };
  ++recomputations_;
  (void)ApplyEffects({canvas_->Displayed(), canvas_->EffectBase(), canvas_->Overlay()}, levels_, selection,
                     canvas_->Background(), random_, report);
  progress_->hide();
  canvas_->PictureChanged();
}

void PhotoEditor::OnLevel(uint32_t control) {
  bool up = false;
  const LevelRow* row = RowOfButton(control, up);
  if (!row || !HasPicture()) return;
  if (!(up ? RaiseLevel(levels_, row->level) : LowerLevel(levels_, row->level))) return;
  Recompute();
  UpdateBars();
}

void PhotoEditor::OnToggle(Toggle toggle) {
  if (!HasPicture()) return;
  SwitchToggle(levels_, toggle);
  Recompute();
}

void PhotoEditor::OnRotate(int direction) {
  if (!HasPicture()) return;
  if (levels_.regionSelect && levels_.modified) {
    const Unsaved answer = AskToSave(/*cancel=*/true, Caption());
    if (answer == Unsaved::Stop) return;
    ReloadAfterQuestion();
  }
  RotateQuarter(levels_, direction);
  host_.SetButtonLook(kRegionSelect, kLookNormal);
  Recompute();
}

// ---- Saving -----------------------------------------------------------------

PhotoEditor::Unsaved PhotoEditor::AskToSave(bool cancel, const std::string& caption) {
  const uint32_t style = (cancel ? box::kYesNoCancel : box::kYesNo) | box::kIconQuestion | box::kTopmost;
  const int answer = services_.prompts.ShowMessage(services_.resources.String(kSaveChanges).value_or(""), caption, style);
  if (answer == kAnswerYes) return SaveCurrent() ? Unsaved::Saved : Unsaved::Stop;
  if (answer == kAnswerNo) return Unsaved::Discarded;
  return Unsaved::Stop;
}

bool PhotoEditor::SaveCurrent() {
  PictureFileResult result;
  {
    WaitCursor wait(services_.desktop);
    result = SavePictureFile(canvas_->Displayed(), path_);
  }
  if (!result) {
    // The old file is intact (the codecs replace a file only once the new one
    // is complete) and the edit stays as it is.
    std::fprintf(stderr, "%s\n", result.Message().c_str());
    services_.prompts.ShowMessage(std::string(kWriteError) + "\n\n" + path_, Caption(),
                                  box::kIconExclamation | box::kTopmost);
    return false;
  }
  host_.RefreshItem(path_);
  return true;
}

void PhotoEditor::ReloadAfterQuestion() {
  ResetEffects();
  WaitCursor wait(services_.desktop);
  (void)canvas_->LoadPicture(path_);
}

// ---- Commands -----------------------------------------------------------------

void PhotoEditor::OnCommand(uint32_t id) {
  if (!open_) return;
  bool up = false;
  if (RowOfButton(id, up)) return OnLevel(id);
  if (const std::optional<Toggle> toggle = ToggleOfButton(id)) return OnToggle(*toggle);
  switch (id) {
    case kDistortionTab: return ShowPanel(Panel::Distortion);
    case kColorTab: return ShowPanel(Panel::Color);
    case kFilterTab: return ShowPanel(Panel::Filter);
    case kRotateLeft: return OnRotate(-1);
    case kRotateRight: return OnRotate(+1);
    case kZoomIn: (void)canvas_->ZoomIn(); return;
    case kZoomOut: (void)canvas_->ZoomOut(); return;
    case kRegionSelect: return OnRegionSelect();
    case kTrim: return OnTrim();
    case kLoadImage: return OnLoadImage();
    case kUnloadImage: return OnUnloadImage();
    case kBackground: return OnBackground();
    case kPrev: return OnStep(-1);
    case kNext: return OnStep(+1);
    case kOriginal: return OnOriginal();
    case kSave: return OnSave();
    case kClose: return OnClose();
    case kWallpaper: return OnWallpaper();
    default: return;
  }
}

// First click: the displayed picture becomes the wallpaper; the next one sets
// the wallpaper the user had before. Either way every window is then
// minimised to show it; when the desktop could not be changed the user is
// told and nothing is minimised.
void PhotoEditor::OnWallpaper() {
  DesktopWallpaper::Result result;
  {
    WaitCursor wait(services_.desktop);
    DesktopWallpaper& wallpaper = host_.Wallpaper();
    result = wallpaperSet_
                 ? wallpaper.Restore()
                 : wallpaper.Set(canvas_->Displayed(),
                                 DesktopWallpaper::PicturePath(services_.desktop.SystemFolder(), Caption()));
  }
  if (result != DesktopWallpaper::Result::Done) {
    services_.prompts.ShowMessage(std::string(DesktopWallpaper::Text(result)), Caption(),
                                  box::kIconExclamation | box::kTopmost);
    return;
  }
  wallpaperSet_ = !wallpaperSet_;
  host_.ShowDesktop();
}

void PhotoEditor::OnRegionSelect() {
  const bool on = !levels_.regionSelect;
  if (levels_.modified) {
    const Unsaved answer = AskToSave(/*cancel=*/true, on ? std::string(kRegionOnCaption) : Caption());
    if (answer == Unsaved::Stop) return;
    ReloadAfterQuestion();
  }
  levels_.regionSelect = on;
  if (on)
    canvas_->SelectMiddleHalf();
  else
    levels_.selection = {};
  host_.SetButtonLook(kRegionSelect, on ? kLookActive : kLookNormal);
  Recompute();
}

void PhotoEditor::OnTrim() {
  if (levels_.regionSelect) {
    if (!levels_.effectBaseTaken) return;  // region select takes the base; without a picture there is none
    DibImage& base = canvas_->EffectBase();
    const PictureRect rect = SelectionToPicture(levels_.selection, canvas_->Geometry(), base.width(), base.height());
    // A selection beside the picture leaves nothing to keep: no trim.
    if (!CropPicture(base, rect, canvas_->Trimmed())) return;
    canvas_->PreTrim().Assign(base);
    levels_.modified = true;
    canvas_->ResetZoom();
    UpdateZoomList();
    trimSelection_ = levels_.selection;
    levels_.regionSelect = false;
    levels_.selection = {};
    host_.SetButtonLook(kRegionSelect, kLookNormal);
    trimmed_ = true;
    base.Assign(canvas_->Trimmed());
    Recompute();
  } else if (trimmed_) {
    canvas_->EffectBase().Assign(canvas_->PreTrim());
    levels_.effectBaseTaken = true;
    levels_.regionSelect = true;
    levels_.selection = trimSelection_;
    host_.SetButtonLook(kRegionSelect, kLookActive);
    trimmed_ = false;
    Recompute();
  }
}

void PhotoEditor::OnLoadImage() {
  if (!HasPicture()) return;
  OpenFileRequest request;
  request.filter = kImageFilter;
  request.initialFolder = std::filesystem::path(path_).parent_path().string();
  const std::vector<std::string> files = services_.prompts.OpenFiles(request);
  if (files.empty()) return;
  MarkOverlayLoaded(levels_);
  DibImage& overlay = canvas_->Overlay();
  {
    WaitCursor wait(services_.desktop);
    // An overlay that cannot be read stays empty: the blend then has nothing
    // to lay over the picture and leaves it as it is.
    if (!LoadPictureFile(overlay, files.front()) || !ExpandToEightBits(overlay)) overlay.Free();
  }
  Recompute();
}

void PhotoEditor::OnUnloadImage() {
  if (UnloadOverlay(levels_)) Recompute();
  canvas_->viewport()->update();
}

void PhotoEditor::OnBlendChosen(int index) {
  if (!open_ || blendList_->count() < 2) return;
  if (ChooseBlendMethod(levels_, index)) Recompute();
}

void PhotoEditor::OnBackground() {
  if (const std::optional<Colour> colour = services_.prompts.ChooseColour(canvas_->Background())) {
    canvas_->SetBackground(*colour);
    Recompute();
  }
  canvas_->viewport()->update();
}

void PhotoEditor::OnStep(int direction) {
  const std::vector<std::string> paths = host_.ItemPaths();
  int target = row_ + direction;
  while (target >= 0 && size_t(target) < paths.size() && !IsStill(paths[size_t(target)])) target += direction;
  // At the first (last) picture there is nowhere to go: nothing happens.
  if (target < 0 || size_t(target) >= paths.size()) return;
  if (levels_.modified && AskToSave(/*cancel=*/true, Caption()) == Unsaved::Stop) return;
  host_.SelectItem(target);
  OpenPicture(paths[size_t(target)], target);
}

void PhotoEditor::OnOriginal() {
  if (!levels_.modified) return;
  const int answer = services_.prompts.ShowMessage(services_.resources.String(kReturnToOriginal).value_or(""),
                                                   Caption(), box::kYesNo | box::kIconQuestion | box::kTopmost);
  if (answer == kAnswerYes) ReloadAfterQuestion();
}

void PhotoEditor::OnSave() {
  if (!levels_.modified) return;
  if (AskToSave(/*cancel=*/false, Caption()) != Unsaved::Saved) return;
  // The saved picture is the next effect base.
  ResetEffects();
}

void PhotoEditor::OnClose() {
  if (levels_.modified && AskToSave(/*cancel=*/true, Caption()) == Unsaved::Stop) return;
  Leave();
  host_.LeaveEditorForm();
}

bool PhotoEditor::CloseForExit() {
  if (!open_) return true;
  if (levels_.modified && AskToSave(/*cancel=*/false, Caption()) == Unsaved::Stop) return false;
  Leave();
  return true;
}

void PhotoEditor::Leave() {
  qApp->removeEventFilter(keys_.get());
  open_ = false;
  ShowControls(false);
  canvas_->FreePictures();
  ResetEffects();
  path_.clear();
  row_ = -1;
}

}  // namespace lumora
