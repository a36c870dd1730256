// JPEG decoding and encoding over libjpeg-turbo's IJG interface.
//
// The library reports errors through an error-exit callback that must not
// return; ours jumps back to a recovery point set in RunRecoverable. The
// library calls are grouped into step functions that own nothing, so the
// jump skips no destructor; everything that needs freeing lives in a job
// object owned by the caller of RunRecoverable.
#include "media/codecs/Jpeg.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

#include "io/FileBytes.h"

namespace lumora {

namespace {

// Progressive files needing more scans than this are refused: every scan
// revisits the whole picture, so a small hostile file could otherwise keep the
// decoder busy for minutes. Encoders write about a dozen.
constexpr int kMaxJpegScans = 500;

// Warnings that the entropy-coded data is corrupt or stops before the blocks
// it codes. The library goes on and fills what is missing (blocks with no data
// come out as flat mid-grey), as every viewer built on it shows such a file;
// the load fails only when nothing of the picture was decoded yet (see
// NothingDecoded). The other warnings (unknown JFIF revision, stray bytes
// between markers, a bad ICC marker) leave the pixels intact and are ignored.
constexpr std::array<int, 4> kDamageWarnings = {JWRN_HIT_MARKER, JWRN_HUFF_BAD_CODE, JWRN_ARITH_BAD_CODE,
                                                JWRN_MUST_RESYNC};

// libjpeg's own buffers (the whole-image coefficient arrays of progressive and
// multi-scan files, which a reduced decode needs at full size) may take this
// many times the block limit, plus a floor for small pictures, whose blocks
// are padded out to whole MCUs. A full decode needs at most twice its block.
constexpr size_t kLibraryMemoryPerBlockByte = 4;
constexpr size_t kLibraryMemoryFloor = size_t(64) << 20;

constexpr std::array<std::string_view, 9> kErrorTexts = {
    "no error",
    "the JPEG library stopped on an error",
    "the file ends or its data is corrupt before the first rows",
    "the colour space is neither grey nor colour",
    "the picture is too large",
    "the file has too many scans",
    "pictures of this depth can't be written as JPEG",
    "the file can't be read",
    "the file can't be written",
};
static_assert(kErrorTexts.size() == size_t(JpegError::CantWrite) + 1);

// The library's error manager with our recovery point. `base` comes first so
// the library's pointer to it is also a pointer to the whole.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf recovery;
  JpegError error;
  char message[JMSG_LENGTH_MAX];
};

ErrorManager& ErrorsOf(j_common_ptr cinfo) { return *reinterpret_cast<ErrorManager*>(cinfo->err); }

[[noreturn]] void StopWith(j_common_ptr cinfo, JpegError error) {
  ErrorManager& err = ErrorsOf(cinfo);
  err.error = error;
  (*err.base.format_message)(cinfo, err.message);
  std::longjmp(err.recovery, 1);
}

// Running out of the memory allowed for the library's buffers is a picture
// too large; every other error exit is the data's.
void OnError(j_common_ptr cinfo) {
  const int code = cinfo->err->msg_code;
  StopWith(cinfo, code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY ? JpegError::TooLarge
                                                                               : JpegError::Library);
}

// True while the decoder has not finished the first row of blocks of the
// first scan: damage there leaves no part of the picture to show.
bool NothingDecoded(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return true;
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  return d->input_scan_number <= 1 && d->input_iMCU_row == 0;
}

// Replaces the library's printing of warnings and trace messages: nothing is
// printed. A file that ends inside its headers (before the first scan) or
// whose data is damaged before the first row of blocks is decoded fails; a
// file that ends after that loads, filled by the library. The end of the file
// alone is not damage: the decoder reads ahead, so a file missing only its end
// marker reports it too; blocks that really lack data bring their own warning.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  const int code = cinfo->err->msg_code;
  if (code == JWRN_JPEG_EOF) {
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number == 0)
      StopWith(cinfo, JpegError::Damaged);
    return;
  }
  if (std::ranges::find(kDamageWarnings, code) != kDamageWarnings.end() && NothingDecoded(cinfo))
    StopWith(cinfo, JpegError::Damaged);
}

void OnProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  int scan = reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number;
  if (scan <= kMaxJpegScans) return;
  ErrorManager& err = ErrorsOf(cinfo);
  err.error = JpegError::TooManyScans;
  std::snprintf(err.message, sizeof err.message, "scan %d of a file may have at most %d", scan, kMaxJpegScans);
  std::longjmp(err.recovery, 1);
}

void InstallErrorManager(ErrorManager& err) {
  jpeg_std_error(&err.base);
  err.base.error_exit = OnError;
  err.base.emit_message = OnMessage;
  err.error = JpegError::None;
  err.message[0] = '\0';
}

// Runs `steps(job)` under the recovery point: an error exit from the library
// comes back here and the result is false. `steps` and whatever it calls
// while the library can jump must hold nothing that needs a destructor.
bool RunRecoverable(ErrorManager& err, void (*steps)(void*), void* job) {
  if (setjmp(err.recovery) != 0) return false;
  steps(job);
  return true;
}

JpegResult Failure(JpegError error, std::string detail) { return {error, std::move(detail)}; }

JpegResult LibraryFailure(const ErrorManager& err) { return {err.error, err.message}; }

// --- Decoding ---------------------------------------------------------------

struct DecodeJob {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  std::FILE* file = nullptr;        // the source: a file ...
  std::span<const uint8_t> bytes;   // ... or bytes in memory
  JSAMPROW* rows = nullptr;         // the new picture's rows, top row first
  int minWidth = 0, minHeight = 0;  // reduced decode: the output may shrink to this; 0: full size
  size_t maxLibraryMemory = 0;      // for the library's own buffers

  DecodeJob() {
    cinfo.err = &err.base;
    InstallErrorManager(err);
    progress.progress_monitor = OnProgress;
  }
  ~DecodeJob() { jpeg_destroy_decompress(&cinfo); }
  DecodeJob(const DecodeJob&) = delete;
  DecodeJob& operator=(const DecodeJob&) = delete;
};

void ReadHeaderSteps(void* p) {
  auto& job = *static_cast<DecodeJob*>(p);
  jpeg_create_decompress(&job.cinfo);
  job.cinfo.progress = &job.progress;
  job.cinfo.mem->max_memory_to_use = long(std::min<size_t>(job.maxLibraryMemory, std::numeric_limits<long>::max()));
  if (job.file)
    jpeg_stdio_src(&job.cinfo, job.file);
  else
    jpeg_mem_src(&job.cinfo, job.bytes.data(), static_cast<unsigned long>(job.bytes.size()));
  jpeg_read_header(&job.cinfo, TRUE);
}

void StartSteps(void* p) { jpeg_start_decompress(&static_cast<DecodeJob*>(p)->cinfo); }

void OutputSizeSteps(void* p) { jpeg_calc_output_dimensions(&static_cast<DecodeJob*>(p)->cinfo); }

// The DCT scales a reduced decode tries, smallest output first.
constexpr unsigned kReducedScaleDenominators[] = {8, 4, 2};

// The largest denominator whose output still covers minWidth x minHeight;
// 1 (full size) when none does. The library rounds scaled sizes up.
unsigned ReducedDenominator(uint32_t width, uint32_t height, int minWidth, int minHeight) {
  for (unsigned d : kReducedScaleDenominators)
    if ((width + d - 1) / d >= uint32_t(minWidth) && (height + d - 1) / d >= uint32_t(minHeight)) return d;
  return 1;
}

// Reads every row straight into the picture. What follows the last row
// (normally only the end marker) is not read: a file cut off just after its
// pixels still loads.
void ReadRowsSteps(void* p) {
  auto& job = *static_cast<DecodeJob*>(p);
  jpeg_decompress_struct& cinfo = job.cinfo;
  while (cinfo.output_scanline < cinfo.output_height)
    jpeg_read_scanlines(&cinfo, job.rows + cinfo.output_scanline, cinfo.output_height - cinfo.output_scanline);
}

// The decode proper, for a job whose source is set.
JpegResult Decode(DecodeJob& job, std::vector<uint8_t>& block, size_t maxBlockBytes) {
  jpeg_decompress_struct& cinfo = job.cinfo;
  const size_t limit = std::min(maxBlockBytes, kMaxPictureBlockBytes);
  job.maxLibraryMemory = kLibraryMemoryFloor + kLibraryMemoryPerBlockByte * limit;
  if (!RunRecoverable(job.err, ReadHeaderSteps, &job)) return LibraryFailure(job.err);
  // The picture's own size, whatever scale it is decoded at: the library's
  // buffers for a reduced decode still grow with it.
  if (!PictureSizeAllowed(cinfo.image_width, cinfo.image_height))
    return Failure(JpegError::TooLarge, std::to_string(cinfo.image_width) + " x " +
                                            std::to_string(cinfo.image_height) + " pixels exceed the limit of " +
                                            std::to_string(kMaxPicturePixels));

  int bits = 0;
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
      cinfo.out_color_space = JCS_GRAYSCALE;
      bits = 8;
      break;
    case JCS_YCbCr:
    case JCS_RGB:
      // libjpeg-turbo converts straight into the picture's blue-green-red order.
      cinfo.out_color_space = JCS_EXT_BGR;
      bits = 24;
      break;
    default:
      return Failure(JpegError::UnsupportedColours, "colour space " + std::to_string(cinfo.jpeg_color_space) +
                                                        " with " + std::to_string(cinfo.num_components) +
                                                        " components");
  }

  if (job.minWidth > 0 && job.minHeight > 0) {
    cinfo.scale_num = 1;
    cinfo.scale_denom = ReducedDenominator(cinfo.image_width, cinfo.image_height, job.minWidth, job.minHeight);
    if (!RunRecoverable(job.err, OutputSizeSteps, &job)) return LibraryFailure(job.err);
  } else {
    cinfo.output_width = cinfo.image_width;
    cinfo.output_height = cinfo.image_height;
  }
  const uint32_t width = cinfo.output_width, height = cinfo.output_height;
  const size_t stride = DibStride(width, bits);
  const size_t offset = bits == 8 ? kPalettedPixelOffset : kInfoHeaderBytes;
  if (stride == 0 || height == 0 || offset > limit || stride > (limit - offset) / height)
    return Failure(JpegError::TooLarge, std::to_string(width) + " x " + std::to_string(height) + " pixels at " +
                                            std::to_string(bits) + " bits exceed " + std::to_string(limit) +
                                            " bytes");

  if (!RunRecoverable(job.err, StartSteps, &job)) return LibraryFailure(job.err);
  if (cinfo.output_width != width || cinfo.output_height != height ||
      cinfo.output_components != bits / 8)
    return Failure(JpegError::Library, "the library delivers " + std::to_string(cinfo.output_width) + " x " +
                                           std::to_string(cinfo.output_height) + " x " +
                                           std::to_string(cinfo.output_components) + " samples, not " +
                                           std::to_string(width) + " x " + std::to_string(height) + " x " +
                                           std::to_string(bits / 8));

  DibImage picture;
  if (!picture.Create(int32_t(width), int32_t(height), bits))
    return Failure(JpegError::TooLarge, "no memory for " + std::to_string(width) + " x " + std::to_string(height) +
                                            " pixels");
  RowTable table(picture);
  std::vector<JSAMPROW> rows(height);
  for (uint32_t r = 0; r < height; ++r) rows[r] = table[int32_t(r)];
  job.rows = rows.data();
  if (!RunRecoverable(job.err, ReadRowsSteps, &job)) return LibraryFailure(job.err);

  block = std::move(picture.block());
  return {};
}

// --- Encoding ---------------------------------------------------------------

// A picture's colour table as the encoder hands it on: grey levels when every
// entry is grey, else blue-green-red triples. Indices past the table are black.
struct EncodeTable {
  bool grey = true;
  std::array<uint8_t, 256> level{};
  std::array<uint8_t, 256 * 3> bgr{};
};

struct EncodeJob {
  jpeg_compress_struct cinfo{};
  ErrorManager err{};
  unsigned char* out = nullptr;  // the library's output buffer, grown with malloc
  unsigned long outSize = 0;

  RowView rows;
  uint32_t width = 0, height = 0;
  int bits = 0;
  const EncodeTable* table = nullptr;  // for 1-, 4- and 8-bit pictures
  uint8_t* scratch = nullptr;          // one expanded row for those

  EncodeJob() {
    cinfo.err = &err.base;
    InstallErrorManager(err);
  }
  ~EncodeJob() {
    jpeg_destroy_compress(&cinfo);
    std::free(out);
  }
  EncodeJob(const EncodeJob&) = delete;
  EncodeJob& operator=(const EncodeJob&) = delete;
};

// One row of a 1-, 4- or 8-bit picture through its table, into grey levels
// or blue-green-red triples.
void ExpandRow(const EncodeJob& job, const uint8_t* src, uint8_t* dst) {
  const EncodeTable& t = *job.table;
  for (uint32_t x = 0; x < job.width; ++x) {
    unsigned index = job.bits == 8   ? src[x]
                     : job.bits == 4 ? (src[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F
                                     : (src[x / 8] >> (7 - x % 8)) & 1;
    if (t.grey) {
      dst[x] = t.level[index];
    } else {
      dst[3 * x] = t.bgr[3 * index];
      dst[3 * x + 1] = t.bgr[3 * index + 1];
      dst[3 * x + 2] = t.bgr[3 * index + 2];
    }
  }
}

void EncodeSteps(void* p) {
  auto& job = *static_cast<EncodeJob*>(p);
  jpeg_compress_struct& cinfo = job.cinfo;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &job.out, &job.outSize);
  cinfo.image_width = job.width;
  cinfo.image_height = job.height;
  const bool grey = job.table && job.table->grey;
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  for (uint32_t r = 0; r < job.height; ++r) {
    const uint8_t* stored = job.rows[int32_t(r)];
    JSAMPROW row;
    if (job.table) {
      ExpandRow(job, stored, job.scratch);
      row = job.scratch;
    } else {
      // The library only reads input rows.
      row = const_cast<JSAMPROW>(stored);
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
}

EncodeTable TableOf(const DibImage& picture, const DibLayout& layout) {
  EncodeTable t;
  const uint8_t* entries = picture.ColourTable().data();
  for (uint32_t i = 0; i < layout.colours && i < 256; ++i) {
    const uint8_t* e = entries + size_t(i) * layout.entryBytes;
    t.bgr[3 * i] = e[0];
    t.bgr[3 * i + 1] = e[1];
    t.bgr[3 * i + 2] = e[2];
    t.level[i] = e[0];
    t.grey = t.grey && e[0] == e[1] && e[1] == e[2];
  }
  return t;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::string_view JpegErrorText(JpegError error) { return kErrorTexts[size_t(error)]; }

JpegResult DecodeJpeg(std::span<const uint8_t> file, std::vector<uint8_t>& block, size_t maxBlockBytes) {
  DecodeJob job;
  job.bytes = file;
  return Decode(job, block, maxBlockBytes);
}

JpegResult EncodeJpeg(const DibImage& picture, std::vector<uint8_t>& file) {
  auto layout = picture.layout();
  if (!layout) return Failure(JpegError::UnsupportedDepth, "the picture has no valid pixel block");
  const int bits = layout->bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    return Failure(JpegError::UnsupportedDepth, std::to_string(bits) + " bits a pixel");

  EncodeJob job;
  job.rows = picture.Rows();
  job.width = uint32_t(layout->width);
  job.height = uint32_t(layout->height);
  job.bits = bits;
  EncodeTable table;
  std::vector<uint8_t> scratch;
  if (bits != 24) {
    table = TableOf(picture, *layout);
    scratch.resize(size_t(job.width) * (table.grey ? 1 : 3));
    job.table = &table;
    job.scratch = scratch.data();
  }
  if (!RunRecoverable(job.err, EncodeSteps, &job)) return LibraryFailure(job.err);
  file.assign(job.out, job.out + job.outSize);
  return {};
}

namespace {
JpegResult AdoptBlock(DibImage& picture, std::vector<uint8_t> block) {
  if (!picture.Adopt(std::move(block), true)) return Failure(JpegError::Library, "the decoded rows do not make a picture");
  return {};
}
}  // namespace

JpegResult ReadJpegMemory(DibImage& picture, std::span<const uint8_t> jpegBytes) {
  std::vector<uint8_t> block;
  if (JpegResult r = DecodeJpeg(jpegBytes, block); !r) return r;
  return AdoptBlock(picture, std::move(block));
}

JpegResult ReadJpegFile(DibImage& picture, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Failure(JpegError::CantRead, path);
  std::vector<uint8_t> block;
  DecodeJob job;
  job.file = file.get();
  if (JpegResult r = Decode(job, block, kMaxPictureBlockBytes); !r) return r;
  return AdoptBlock(picture, std::move(block));
}

JpegResult DecodeJpegReduced(std::span<const uint8_t> file, int minWidth, int minHeight, std::vector<uint8_t>& block,
                             int& fullWidth, int& fullHeight, size_t maxBlockBytes) {
  DecodeJob job;
  job.bytes = file;
  job.minWidth = minWidth;
  job.minHeight = minHeight;
  JpegResult result = Decode(job, block, maxBlockBytes);
  if (!result) return result;
  fullWidth = int(job.cinfo.image_width);
  fullHeight = int(job.cinfo.image_height);
  return result;
}

JpegResult ReadJpegFileReduced(DibImage& picture, const std::string& path, int minWidth, int minHeight,
                               int& fullWidth, int& fullHeight) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Failure(JpegError::CantRead, path);
  std::vector<uint8_t> block;
  DecodeJob job;
  job.file = file.get();
  job.minWidth = minWidth;
  job.minHeight = minHeight;
  if (JpegResult r = Decode(job, block, kMaxPictureBlockBytes); !r) return r;
  if (JpegResult r = AdoptBlock(picture, std::move(block)); !r) return r;
  fullWidth = int(job.cinfo.image_width);
  fullHeight = int(job.cinfo.image_height);
  return {};
}

JpegResult ReadJpegResource(DibImage& picture, std::span<const uint8_t> jpegBytes) {
  return ReadJpegMemory(picture, jpegBytes);
}

JpegResult WriteJpegFile(const DibImage& picture, const std::string& path) {
  std::vector<uint8_t> file;
  if (JpegResult r = EncodeJpeg(picture, file); !r) return r;
  if (!ReplaceFileWith(path, {file})) return Failure(JpegError::CantWrite, path);
  return {};
}

}  // namespace lumora
