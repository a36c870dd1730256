// Makes the thumbnail of IN exactly as the item list makes and draws it, and
// writes the cell as a 24-bit BMP: the compact window's 58 x 42 cell, or the
// full layout's 107 x 86 one with --max. The frame's clear pixels show the
// item list's background colour of that layout, as they do on screen.
//
// With --out-dir DIR, each FILE's cell goes to DIR/NAME.bmp, NAME being the
// file's item name (its name without the last extension); a name already
// given to an earlier FILE of the same call, or naming one of the FILEs
// itself, becomes NAME-2, NAME-3, and so on. The cells are made on a thread per core, each exactly as the one-file
// form makes it; a file that fails is reported in its own line and the
// others are still made. The exit code is that of the first FILE (in the
// order given) that failed.
//
// The picture comes from the file itself, never from the desktop's
// thumbnail cache, unless --cache asks for the cache (read, and written when
// missing).
#include "cli/ThumbnailCommand.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

#include "media/codecs/Bmp.h"
#include "platform/AtomicFile.h"

namespace lumora::cli {

namespace {

const Command kSelf{"thumbnail", "IN OUT.bmp [--max] [--cache] | --out-dir DIR FILE... [--max] [--cache]", "", nullptr};
constexpr std::string_view kPrefix = "lumora-cli thumbnail: ";
constexpr std::string_view kItemExtensions = "(.jpg, .tif, .bmp, .mpeg, .mpg, .avi, .erm)";

bool EndsWithBmp(const std::string& name) { return name.size() > 4 && LowerExtension(name) == ".bmp"; }

void PaintClear(Thumbnail& thumbnail, CellColour colour) {
  RowTable rows(thumbnail.cell);
  for (int y = 0; y < thumbnail.cell.height(); ++y)
    for (int x = 0; x < thumbnail.cell.width(); ++x) {
      if (!thumbnail.IsTransparent(x, y)) continue;
      uint8_t* p = rows[y] + size_t(x) * 3;
      p[0] = colour.blue, p[1] = colour.green, p[2] = colour.red;
    }
}

CellFile Failed(int code, const std::string& why) { return {code, std::string(kPrefix) + why + "\n"}; }

std::string NotAnItem(const std::string& path) { return "'" + path + "' is no album item " + std::string(kItemExtensions); }

// The layout's frame bitmap, decoded; a message when it is missing or damaged.
std::optional<std::string> LoadFrame(const CellMaker& maker, const ThumbnailCell& cell, DibImage& frame) {
  const std::string what = "the frame bitmap " + std::to_string(cell.frameBitmap) + " is missing or damaged";
  const std::optional<std::vector<uint8_t>> bytes = maker.FrameBitmap(cell.frameBitmap);
  if (!bytes) return what;
  if (BmpResult read = ReadBmpMemory(frame, *bytes); !read) return what + ": BMP: " + read.Reason();
  return std::nullopt;
}

struct CellJob {
  std::string in;
  std::string out;  // empty when the file is no item
  CellFile result;
};

std::filesystem::path SameFileKey(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path key = std::filesystem::weakly_canonical(path, ec);
  return ec ? path.lexically_normal() : key;
}

// The jobs of --out-dir in the order given, with their output names. A name
// that would overwrite one of the inputs counts as taken.
std::vector<CellJob> PlanCells(const std::vector<std::string>& files, const std::filesystem::path& folder) {
  std::vector<CellJob> jobs;
  std::set<std::string> taken;
  std::set<std::filesystem::path> inputs;
  for (const std::string& in : files) inputs.insert(SameFileKey(in));
  auto isFree = [&](const std::string& name) {
    return taken.count(name) == 0 && inputs.count(SameFileKey(folder / (name + ".bmp"))) == 0;
  };
  for (const std::string& in : files) {
    CellJob& job = jobs.emplace_back(CellJob{in, {}, {}});
    if (ItemKindOf(in) == ItemKind::None) {
      job.result = Failed(kExitBadInput, NotAnItem(in));
      continue;
    }
    const std::string name = ItemNameOf(std::filesystem::path(in).filename().string());
    std::string unique = name;
    for (int n = 2; !isFree(unique); ++n) unique = name + "-" + std::to_string(n);
    taken.insert(unique);
    job.out = (folder / (unique + ".bmp")).string();
    if (unique != name)
      job.result.message = std::string(kPrefix) + "'" + in + "' goes to " + unique + ".bmp, as " + name +
                           ".bmp is taken\n";
  }
  return jobs;
}

// Makes the planned cells on a thread per core (this thread being one).
void MakeCells(std::vector<CellJob>& jobs, bool max, const DibImage& frame, const ThumbnailCache* cache,
               const CellMaker& maker) {
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < jobs.size(); i = next++) {
      CellJob& job = jobs[i];
      if (job.out.empty()) continue;
      CellFile made;
      try {
        made = maker.MakeCellFile(job.in, job.out, max, frame, cache);
      } catch (const std::exception& e) {
        made = Failed(kExitBadInput, "'" + job.in + "': " + e.what());
      }
      job.result.code = made.code;
      job.result.message += made.message;
    }
  };
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, jobs.size());
  std::vector<std::jthread> pool;
  for (size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
}

int RunOutDir(const std::vector<std::string>& files, const std::string& folder, bool max, const ThumbnailCache* cache,
              const CellMaker& maker, Io io) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    io.err << kPrefix << "cannot write into '" << folder << "': no such folder\n";
    return kExitCannotWrite;
  }
  const ThumbnailCell& cell = max ? kMaxCell : kOriginalCell;
  DibImage frame;
  if (std::optional<std::string> why = LoadFrame(maker, cell, frame)) {
    io.err << kPrefix << *why << "\n";
    return kExitBadInput;
  }
  std::vector<CellJob> jobs = PlanCells(files, folder);
  MakeCells(jobs, max, frame, cache, maker);
  int code = kExitOk;
  for (const CellJob& job : jobs) {
    io.err << job.result.message;
    if (code == kExitOk) code = job.result.code;
  }
  return code;
}

}  // namespace

CellFile WriteCellFile(NewItem made, const ThumbnailCell& cell, const std::string& out) {
  if (made.status != NewItemStatus::Added) return Failed(kExitBadInput, made.error);
  PaintClear(made.thumbnail, cell.listBackground);
  // The file a BMP writer writes, but without its syncs: a cell is cheap to
  // make again, and two syncs would cost a cell file more than its making.
  const std::optional<BmpFileParts> parts = EncodeBmp(made.thumbnail.cell);
  if (!parts) return Failed(kExitCannotWrite, "cannot encode the cell of '" + made.item.path + "' as BMP");
  if (!ReplaceFileWith(out, {parts->head, parts->rows}, ReplaceOptions{std::nullopt, false}))
    return Failed(kExitCannotWrite, "cannot write '" + out + "': " + std::generic_category().message(errno));
  return {};
}

int RunThumbnailCommand(std::span<const std::string> args, Io io, const CellMaker& maker) {
  std::vector<std::string> paths;
  std::optional<std::string> outDir;
  bool max = false, cached = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--max") {
      max = true;
    } else if (a == "--cache") {
      cached = true;
    } else if (a == "--out-dir") {
      if (i + 1 == args.size()) return UsageError(kSelf, "--out-dir needs a folder", io);
      outDir = args[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError(kSelf, "unexpected option '" + a + "'", io);
    } else {
      paths.push_back(a);
    }
  }
  const std::optional<ThumbnailCache> cache = cached ? ThumbnailCache::ForThisUser() : std::nullopt;
  if (outDir) {
    if (paths.empty()) return UsageError(kSelf, "--out-dir needs at least one FILE", io);
    return RunOutDir(paths, *outDir, max, cache ? &*cache : nullptr, maker, io);
  }
  if (paths.size() != 2) return UsageError(kSelf, "needs IN and OUT.bmp", io);
  const std::string& in = paths[0];
  const std::string& out = paths[1];
  if (ItemKindOf(in) == ItemKind::None) return UsageError(kSelf, NotAnItem(in), io);
  if (!EndsWithBmp(out)) return UsageError(kSelf, "'" + out + "' does not end in .bmp", io);

  DibImage frame;
  if (std::optional<std::string> why = LoadFrame(maker, max ? kMaxCell : kOriginalCell, frame)) {
    io.err << kPrefix << *why << "\n";
    return kExitBadInput;
  }
  const CellFile made = maker.MakeCellFile(in, out, max, frame, cache ? &*cache : nullptr);
  io.err << made.message;
  return made.code;
}

}  // namespace lumora::cli
