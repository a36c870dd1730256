// The album's file operations, whole: `copy SRC DST` copies every file of
// SRC into DST one by one as CopyNoReplace does (a temporary, fsync, a
// no-replace rename), `batch SRC DST` the same through one CopyBatch;
// `drop N DIR` times N same-file-system drops (each one
// rename after the free-name walk of the album) of N small files from one
// folder into another and back, and prints the median of five rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "albums/ItemFiles.h"
#include "platform/FileCopy.h"

namespace fs = std::filesystem;

namespace {

int Copy(const fs::path& from, const fs::path& to, bool batch) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(from))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  lumora::CopyBatch copies;
  std::vector<lumora::FileOp> results;
  for (const fs::path& f : files) {
    const std::string dest = (to / f.filename()).string();
    results.push_back(batch ? copies.Start(f.string(), dest, false) : lumora::CopyNoReplace(f.string(), dest));
  }
  if (batch) results = copies.Finish();
  for (const lumora::FileOp& op : results) {
    if (op) continue;
    std::fprintf(stderr, "bench_copy: %s\n", op.reason.c_str());
    return 1;
  }
  return 0;
}

// Moves every file of `from` into `to` as one drop does; seconds taken.
double DropAll(const fs::path& from, const fs::path& to, int count) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) files.push_back((from / ("photo" + std::to_string(i) + ".jpg")).string());
  const auto start = std::chrono::steady_clock::now();
  lumora::AlbumDrop drop(to.string());
  for (const std::string& f : files) {
    const lumora::PutResult put = drop.Put(f);
    if (!put.op || !put.moved || put.renamed) {
      std::fprintf(stderr, "bench_copy: drop of %s: %s\n", f.c_str(), put.op.reason.c_str());
      std::exit(1);
    }
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Drops(int count, const fs::path& dir) {
  const fs::path a = dir / "a", b = dir / "b";
  fs::create_directories(a);
  fs::create_directories(b);
  for (int i = 0; i < count; ++i) std::ofstream(a / ("photo" + std::to_string(i) + ".jpg")) << "jpeg " << i;
  std::vector<double> rounds;
  for (int round = 0; round < 5; ++round) {
    rounds.push_back(DropAll(a, b, count));
    rounds.push_back(DropAll(b, a, count));
  }
  std::sort(rounds.begin(), rounds.end());
  std::printf("%d same-file-system drops (renames): median %.1f ms (min %.1f, max %.1f, %zu rounds)\n", count,
              rounds[rounds.size() / 2] * 1000, rounds.front() * 1000, rounds.back() * 1000, rounds.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && (args[0] == "copy" || args[0] == "batch")) return Copy(args[1], args[2], args[0] == "batch");
  if (args.size() == 3 && args[0] == "drop") return Drops(std::atoi(args[1].c_str()), args[2]);
  std::fprintf(stderr, "usage: bench_copy copy|batch SRC DST | bench_copy drop N DIR\n");
  return 2;
}
