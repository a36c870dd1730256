// Reads IN, runs ApplyEffects once from a fresh effect base with the levels of
// the options, and writes the result to OUT (format from OUT's name). A 1- or
// 4-bit picture enters the pipeline expanded to 8 bits with the same colour
// table (ExpandToEightBits) and is written at 8 bits.
//
// Levels are the editor's own (brightness 20 is one click, passed to the pass
// as 40), with the editor's ranges and steps; states the editor cannot reach
// (a level between steps, a scatter without a tile size) are refused. --region
// is in picture coordinates, right and bottom exclusive: an empty rectangle
// means the whole picture, and one that misses the picture leaves every pass
// but the rotation nothing to do, as a selection beside the picture does in
// the editor. --seed seeds the program's random generator before the passes.
#include "cli/EffectsCommand.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "editor/effects/ApplyEffects.h"
#include "editor/effects/Passes.h"
#include "media/codecs/PictureFiles.h"

namespace lumora::cli {

namespace {

const Command kSelf{"effects", kEffectsUsage, "", nullptr};

// The tile's scatter: a level of the editor's buttons that switches no pass
// of its own.
constexpr std::string_view kScatterOption = "--scatter";

const EffectPass* PassOfOption(std::string_view option) {
  for (const EffectPass& pass : EffectPasses())
    if (pass.option == option) return &pass;
  return nullptr;
}

// The method list's entries, in its order.
constexpr std::string_view kBlendNames[kBlendMethodCount] = {"paste",  "screen",     "blend",   "lighten",
                                                             "darken", "difference", "multiply"};

template <typename T>
std::optional<T> ParseNumber(std::string_view s, int base = 10) {
  T value{};
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return value;
}

std::optional<int> ParseBlend(std::string_view s) {
  if (auto index = ParseNumber<int>(s); index && *index >= 0 && *index < kBlendMethodCount) return index;
  for (int i = 0; i < kBlendMethodCount; ++i) {
    const std::string_view name = kBlendNames[i];
    if (s.size() == name.size() &&
        std::equal(s.begin(), s.end(), name.begin(), [](char a, char b) { return (a | 0x20) == b; }))
      return i;
  }
  return std::nullopt;
}

// RRGGBB as the colour value the editor keeps: red in the low byte.
std::optional<uint32_t> ParseColour(std::string_view s) {
  if (s.size() != 6) return std::nullopt;
  auto rgb = ParseNumber<uint32_t>(s, 16);
  if (!rgb) return std::nullopt;
  return (*rgb >> 16 & 0xFF) | (*rgb & 0xFF00) | (*rgb & 0xFF) << 16;
}

std::optional<PictureRect> ParseRegion(std::string_view s) {
  int32_t v[4];
  for (int k = 0; k < 4; ++k) {
    const size_t comma = k < 3 ? s.find(',') : s.size();
    if (comma == std::string_view::npos) return std::nullopt;
    auto n = ParseNumber<int32_t>(s.substr(0, comma));
    if (!n) return std::nullopt;
    v[k] = *n;
    s.remove_prefix(k < 3 ? comma + 1 : comma);
  }
  return PictureRect{v[0], v[1], v[2], v[3]};
}

struct Options {
  std::vector<std::string> paths;
  EffectLevels levels;
  std::string overlay;
  uint32_t background = 0;
  std::optional<PictureRect> region;
  std::optional<uint32_t> seed;
};

// Fills `o` from the arguments; an error text when they are wrong.
std::optional<std::string> Parse(std::span<const std::string> args, Options& o) {
  std::set<std::string_view> seen;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-') {
      o.paths.push_back(a);
      continue;
    }
    if (!seen.insert(a).second) return a + " given twice";
    const EffectPass* pass = PassOfOption(a);
    if (pass && pass->control == PassControl::Toggle) {
      SwitchToggle(o.levels, pass->toggle);
      continue;
    }
    if (i + 1 == args.size()) return a + " needs a value";
    const std::string& value = args[++i];
    if ((pass && pass->control == PassControl::Level) || a == kScatterOption) {
      const Level level = pass ? pass->level : Level::Scatter;
      const LevelRange range = RangeOf(level);
      auto n = ParseNumber<int>(value);
      if (!n || *n < range.lowest || *n > range.highest || *n % range.step != 0)
        return a + " " + value + ": the editor's levels are " + std::to_string(range.lowest) + ".." +
               std::to_string(range.highest) + " in steps of " + std::to_string(range.step);
      LevelOf(o.levels, level) = *n;
    } else if (pass && pass->control == PassControl::Rotation) {
      auto n = ParseNumber<int>(value);
      if (!n) return a + " " + value + ": not a count of quarter turns";
      o.levels.rotation = *n;
    } else if (pass && pass->control == PassControl::Overlay) {
      o.overlay = value;
      o.levels.overlayLoaded = true;
    } else if (a == "--blend") {
      auto m = ParseBlend(value);
      if (!m)
        return "--blend " + value + ": methods are 0..6 or paste, screen, blend, lighten, darken, difference, multiply";
      o.levels.blendMethod = *m;
    } else if (a == "--background") {
      auto c = ParseColour(value);
      if (!c) return "--background " + value + ": not six hex digits RRGGBB";
      o.background = *c;
    } else if (a == "--region") {
      auto r = ParseRegion(value);
      if (!r) return "--region " + value + ": not four integers L,T,R,B";
      if (!r->empty()) o.region = r;
    } else if (a == "--seed") {
      auto s = ParseNumber<uint32_t>(value);
      if (!s) return "--seed " + value + ": not a number 0..4294967295";
      o.seed = s;
    } else {
      return "unexpected option '" + a + "'";
    }
  }
  if (o.paths.size() != 2) return "needs IN and OUT, got " + std::to_string(o.paths.size()) + " paths";
  if (o.levels.scatter != 0 && o.levels.tileSize == 0)
    return std::string(kScatterOption) + " " + std::to_string(o.levels.scatter) +
           " needs --tile (the editor sets a tile size with the scatter)";
  if (FormatForName(o.paths[1]) == PictureFormat::None)
    return "OUT " + o.paths[1] + " has none of the extensions .bmp, .tif, .gif, .jpg";
  return std::nullopt;
}

}  // namespace

int RunEffectsCommand(std::span<const std::string> args, Io io) {
  Options o;
  if (auto error = Parse(args, o)) return UsageError(kSelf, *error, io);

  DibImage displayed, base, overlay;
  if (PictureFileResult loaded = LoadPictureFile(displayed, o.paths[0]); !loaded) {
    io.err << "lumora-cli effects: cannot read " << o.paths[0] << " as a picture: " << loaded.Message() << "\n";
    return kExitBadInput;
  }
  if (!ExpandToEightBits(displayed)) {
    io.err << "lumora-cli effects: out of memory for an 8-bit copy of the " << displayed.width() << " x "
           << displayed.height() << " picture\n";
    return kExitBadInput;
  }
  if (o.levels.overlayLoaded) {
    if (PictureFileResult loaded = LoadPictureFile(overlay, o.overlay); !loaded) {
      io.err << "lumora-cli effects: cannot read the overlay " << o.overlay << " as a picture: " << loaded.Message()
             << "\n";
      return kExitBadInput;
    }
  }
  if (o.seed) ProgramRandom().Seed(*o.seed);
  if (!ApplyEffects({displayed, base, overlay}, o.levels, o.region, o.background, ProgramRandom())) {
    io.err << "lumora-cli effects: out of memory for a " << displayed.width() << " x " << displayed.height()
           << " picture\n";
    return kExitBadInput;
  }
  if (PictureFileResult saved = SavePictureFile(displayed, o.paths[1]); !saved) {
    io.err << "lumora-cli effects: cannot write " << o.paths[1] << ": " << saved.Message() << "\n";
    return kExitCannotWrite;
  }
  return kExitOk;
}

}  // namespace lumora::cli
