// The slice header and the macroblock address increments, read the same way
// for the base layer and the SNR enhancement layer, and the state that lives for one slice while it is
// decoded: the bit reader over the slice's bytes, the quantiser and its
// dequantisation factors, the DC predictors, the motion vector predictors and
// the previous macroblock's motion (skipped macroblocks of B pictures repeat
// it). Private to the picture decoder.
#pragma once

#include <cstdint>
#include <span>

#include "mpeg/PictureDecoder.h"

namespace lumora::mpeg {

struct PictureDecoder::Slice {
  explicit Slice(std::span<const uint8_t> data) : br(data) {}

  MsbBitReader br;
  int quantiserScale = 0;
  // Quantiser matrix entry times quantiser scale, for intra and non-intra
  // blocks of luma (0, 1) and chroma (2, 3), in block order.
  int factor[4][64] = {};
  int dcPredictor[3] = {};
  int pmv[2][2][2] = {};  // [r][s][t], half samples (MPEG-1: the coded units)
  Motion previous;
  bool previousIntra = true;
  bool broken = false;  // a motion code that is no code
};

// Slices of pictures taller than this carry slice_vertical_position_extension.
inline constexpr int kSliceExtensionHeight = 2800;

// The optional fields a layer's slice headers carry.
struct SliceSyntax {
  bool verticalExtension = false;   // slice_vertical_position_extension
  bool priorityBreakpoint = false;  // data partitioning's priority_breakpoint
  bool intraSlice = false;          // intra_slice_flag and the fields it announces
};

// What a slice header says: the macroblock row the slice starts in and its
// quantiser_scale_code.
struct SliceHeader {
  int row = 0;
  int quantiserCode = 0;
};

// Reads the header of the slice whose start code ends in `code`, leaving `br`
// at its first macroblock; a header cut short leaves br.truncated() set.
SliceHeader ReadSliceHeader(MsbBitReader& br, uint8_t code, const SliceSyntax& syntax);

// One macroblock_address_increment: stuffing passed over, 33 for each escape,
// then the coded increment. A code that is no code ends it with `bad` set and
// the escapes before it summed.
int ReadAddressIncrement(MsbBitReader& br, bool& bad);

}  // namespace lumora::mpeg
