// Limits, steps and coupling of the effect level buttons.
#include "editor/effects/EffectLevels.h"

#include "editor/effects/Passes.h"

namespace lumora {

namespace {

constexpr LevelRange kBrightnessRange{-100, 100, 20};
constexpr LevelRange kChannelRange{-250, 250, 50};
constexpr LevelRange kFilterRange{0, kMaxFilterLevel, 1};

}  // namespace

LevelRange RangeOf(Level level) {
  switch (level) {
    case Level::Brightness:
    case Level::Contrast: return kBrightnessRange;
    case Level::Red:
    case Level::Green:
    case Level::Blue: return kChannelRange;
    default: return kFilterRange;
  }
}

int& LevelOf(EffectLevels& l, Level level) {
  switch (level) {
    case Level::Brightness: return l.brightness;
    case Level::Contrast: return l.contrast;
    case Level::Red: return l.red;
    case Level::Green: return l.green;
    case Level::Blue: return l.blue;
    case Level::Blur: return l.blur;
    case Level::Sharpen: return l.sharpen;
    case Level::Emboss: return l.emboss;
    case Level::Mosaic: return l.mosaic;
    case Level::RandomPattern: return l.randomPattern;
    case Level::TileSize: return l.tileSize;
    case Level::Scatter: break;
  }
  return l.scatter;
}

int LevelOf(const EffectLevels& l, Level level) { return LevelOf(const_cast<EffectLevels&>(l), level); }

bool RaiseLevel(EffectLevels& l, Level level) {
  const LevelRange range = RangeOf(level);
  int& value = LevelOf(l, level);
  if (value >= range.highest) return false;
  if (level == Level::Scatter && l.tileSize == 0) l.tileSize = 1;
  value += range.step;
  l.modified = true;
  return true;
}

bool LowerLevel(EffectLevels& l, Level level) {
  const LevelRange range = RangeOf(level);
  int& value = LevelOf(l, level);
  if (value <= range.lowest) return false;
  if (level == Level::Scatter && l.tileSize == 0) l.tileSize = 1;
  value -= range.step;
  if (level == Level::TileSize && value == 0) l.scatter = 0;
  l.modified = true;
  return true;
}

bool& ToggleOf(EffectLevels& l, Toggle toggle) {
  switch (toggle) {
    case Toggle::FlipHorizontal: return l.flipHorizontal;
    case Toggle::FlipVertical: return l.flipVertical;
    case Toggle::SwapRedGreen: return l.swapRedGreen;
    case Toggle::SwapGreenBlue: return l.swapGreenBlue;
    case Toggle::SwapRedBlue: return l.swapRedBlue;
    case Toggle::Invert: return l.invert;
    case Toggle::GreyScale: break;
  }
  return l.greyScale;
}

bool ToggleOf(const EffectLevels& l, Toggle toggle) { return ToggleOf(const_cast<EffectLevels&>(l), toggle); }

void SwitchToggle(EffectLevels& l, Toggle toggle) {
  bool& value = ToggleOf(l, toggle);
  value = !value;
  l.modified = true;
}

void RotateQuarter(EffectLevels& l, int direction) {
  if (l.regionSelect) {
    l.regionSelect = false;
    l.selection = {};
  }
  l.rotation += direction < 0 ? -1 : 1;
  l.modified = true;
}

bool ChooseBlendMethod(EffectLevels& l, int index) {
  if (index < 0 || index >= kBlendMethodCount) return false;
  l.blendMethod = index;
  return l.overlayLoaded;
}

void MarkOverlayLoaded(EffectLevels& l) {
  l.overlayLoaded = true;
  l.modified = true;
}

bool UnloadOverlay(EffectLevels& l) {
  if (!l.overlayLoaded) return false;
  l.overlayLoaded = false;
  return true;
}

void ResetEffects(EffectLevels& l) {
  const int method = l.blendMethod;
  l = EffectLevels{};
  l.blendMethod = method;
}

}  // namespace lumora
