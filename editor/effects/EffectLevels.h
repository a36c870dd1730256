// The editor's effect state: every level, toggle and flag that ApplyEffects
// recomputes the picture from, with the limits and steps of the buttons that
// change them. The rules here are the ones the editor window's handlers
// follow: a click at a limit does nothing at all, otherwise the level moves
// one step, the picture counts as modified and the caller recomputes.
#pragma once

#include <cstdint>

namespace lumora {

// A rectangle in the view's scrolled client coordinates (right and bottom
// exclusive), as the selection tracker leaves it.
struct ViewRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
};

inline constexpr int kDefaultBlendMethod = 1;  // "Screen"

struct EffectLevels {
  int rotation = 0;  // quarter turns, clockwise positive; no bound
  int brightness = 0, contrast = 0;
  int blur = 0, emboss = 0, mosaic = 0, sharpen = 0;
  int red = 0, green = 0, blue = 0;
  int tileSize = 0, scatter = 0, randomPattern = 0;
  bool flipHorizontal = false, flipVertical = false;
  bool swapRedGreen = false, swapGreenBlue = false, swapRedBlue = false;
  bool invert = false, greyScale = false;
  bool overlayLoaded = false;
  int blendMethod = kDefaultBlendMethod;  // index of the method list, 0..6
  bool effectBaseTaken = false;
  bool regionSelect = false;
  ViewRect selection;
  bool modified = false;
};

enum class Level {
  Brightness,
  Contrast,
  Red,
  Green,
  Blue,
  Blur,
  Sharpen,
  Emboss,
  Mosaic,
  RandomPattern,
  TileSize,
  Scatter
};

struct LevelRange {
  int lowest, highest, step;
};

// Brightness and contrast -100..100 in steps of 20; red, green and blue
// -250..250 in steps of 50; the filter and tile levels 0..4 in steps of 1.
LevelRange RangeOf(Level level);
int& LevelOf(EffectLevels& levels, Level level);
int LevelOf(const EffectLevels& levels, Level level);

// An "Up" or "Down" button. At the limit: nothing changes and the result is
// false (no recomputation, no redraw). Otherwise the level moves one step,
// `modified` is set, and the result is true: the caller runs ApplyEffects and
// redraws the level bars. Tile coupling: lowering the tile size from 1 to 0
// also sets the scatter to 0; moving the scatter while the tile size is 0
// first sets the tile size to 1.
bool RaiseLevel(EffectLevels& levels, Level level);
bool LowerLevel(EffectLevels& levels, Level level);

enum class Toggle { FlipHorizontal, FlipVertical, SwapRedGreen, SwapGreenBlue, SwapRedBlue, Invert, GreyScale };
bool& ToggleOf(EffectLevels& levels, Toggle toggle);
bool ToggleOf(const EffectLevels& levels, Toggle toggle);

// A toggle button: switches the toggle and sets `modified`; the caller always
// recomputes.
void SwitchToggle(EffectLevels& levels, Toggle toggle);

// "CW Rotate" (+1) and "CCW Rotate" (-1), after the window has dealt with
// unsaved changes: region-select mode ends and the selection is emptied (the
// rotation turns the whole picture), then the count moves and `modified` is
// set. The caller always recomputes.
void RotateQuarter(EffectLevels& levels, int direction);

// An entry chosen in the method list: indexes outside 0..6 change nothing.
// True when the caller must recompute (an overlay is loaded).
bool ChooseBlendMethod(EffectLevels& levels, int index);

// "Load Image" after a file was chosen (whether or not it could be read):
// sets the overlay flag and `modified`; the caller recomputes.
void MarkOverlayLoaded(EffectLevels& levels);
// "Unload Image": clears the overlay flag; true (recompute) when it was set.
bool UnloadOverlay(EffectLevels& levels);

// Every level, toggle and flag back to 0 or off: the effect base is taken
// afresh at the next recomputation, region-select mode ends with an empty
// selection, the overlay counts as unloaded. The blend method is the method
// list's current entry and stays as it is.
void ResetEffects(EffectLevels& levels);

}  // namespace lumora
