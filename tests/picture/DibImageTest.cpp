// The packed-bitmap picture: byte layout, row order, backup rules, and
// refusal of blocks whose headers lie.
#include "picture/DibImage.h"

#include <gtest/gtest.h>

#include "tests/media/CodecTestTools.h"

namespace lumora {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

TEST(DibImage, CreateWritesTheHeaderAndGreyRamp) {
  DibImage pic;
  ASSERT_TRUE(pic.Create(5, 3, 24));
  const auto& b = pic.block();
  ASSERT_EQ(b.size(), 16u * 3 + 40);  // row of 15 bytes padded to 16
  EXPECT_EQ(U32(b, 0), 40u);
  EXPECT_EQ(U32(b, 4), 5u);
  EXPECT_EQ(U32(b, 8), 3u);
  EXPECT_EQ(U16(b, 12), 1);
  EXPECT_EQ(U16(b, 14), 24);
  EXPECT_EQ(U32(b, 16), 0u);
  EXPECT_EQ(U32(b, 20), 48u);
  EXPECT_EQ(U32(b, 32), 0u);
  EXPECT_EQ(pic.PixelBits(), b.data() + 40) << "no colour table at 24 bits";
  EXPECT_FALSE(pic.palette().has_value()) << "Create builds no palette";
  EXPECT_EQ(pic.BitCount(), 24);

  DibImage grey;
  ASSERT_TRUE(grey.Create(3, 2, 8));
  const auto& g = grey.block();
  ASSERT_EQ(g.size(), 4u * 2 + 1064);
  EXPECT_EQ(U32(g, 32), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(g[40 + i * 4], i);
    EXPECT_EQ(g[40 + i * 4 + 2], i);
    EXPECT_EQ(g[40 + i * 4 + 3], 0);
  }
  ASSERT_TRUE(grey.BuildPalette());
  ASSERT_EQ(grey.palette()->size(), 256u);
  EXPECT_EQ((*grey.palette())[200], (PaletteEntry{200, 200, 200, 0}));

  for (auto [w, h, bits] : {std::tuple{0, 1, 24}, {1, 0, 8}, {-4, 2, 24}, {4, 4, 1}, {4, 4, 4}, {4, 4, 32},
                            {70000, 70000, 24}}) {
    DibImage bad;
    EXPECT_FALSE(bad.Create(w, h, bits)) << w << "x" << h << "x" << bits;
    EXPECT_TRUE(bad.empty());
  }
  EXPECT_EQ(DibImage().BitCount(), -1);
}

TEST(DibImage, RowZeroIsTheTopRowStoredLast) {
  // Three rows of 2 pixels, stored bottom-up: stored row 0 is the bottom.
  const uint8_t bits[] = {1, 1, 1, 1, 1, 1, 0, 0,   // bottom
                          2, 2, 2, 2, 2, 2, 0, 0,   // middle
                          3, 3, 3, 3, 3, 3, 0, 0};  // top
  DibImage pic;
  ASSERT_TRUE(pic.CreateFromBits(bits, 2, 3, 24));
  RowTable rows(pic);
  ASSERT_EQ(rows.rows(), 3);
  EXPECT_EQ(rows.stride(), 8u);
  EXPECT_EQ(rows[0][0], 3);
  EXPECT_EQ(rows[2][0], 1);
  EXPECT_EQ(rows[2], pic.PixelBits());
}

TEST(DibImage, BackupRules) {
  DibImage pic;
  ASSERT_TRUE(pic.Create(2, 2, 24));
  EXPECT_FALSE(pic.SwapBackup()) << "no backup yet";
  EXPECT_TRUE(pic.backup().empty());
  ASSERT_TRUE(pic.Snapshot());
  EXPECT_EQ(pic.backup(), pic.block());
  pic.PixelBits()[0] = 77;
  RowTable fromBackup(pic.backup());
  EXPECT_EQ(fromBackup[1][0], 0) << "the backup keeps the state of the snapshot";
  ASSERT_TRUE(pic.SwapBackup());
  EXPECT_EQ(pic.PixelBits()[0], 0);
  EXPECT_EQ(pic.backup()[40], 77);

  DibImage copy;
  copy.Assign(pic);
  EXPECT_EQ(copy.block(), pic.block());
  EXPECT_TRUE(copy.backup().empty()) << "Assign never carries the backup";
  EXPECT_EQ(copy.width(), 2);
  pic.Free();
  EXPECT_TRUE(pic.empty());
  EXPECT_TRUE(pic.backup().empty());
}

TEST(DibLayout, ColourTableRules) {
  // A 40-byte header with colours used set takes that many entries.
  std::vector<uint8_t> b(40 + 2 * 4 + 4, 0);
  b[0] = 40;
  b[4] = 2;  // width 2
  b[8] = 1;  // height 1
  b[14] = 8;
  b[32] = 2;  // colours used
  auto l = DibLayout::Of(b);
  ASSERT_TRUE(l);
  EXPECT_EQ(l->colours, 2u);
  EXPECT_EQ(l->pixelOffset, 48u);

  // A core header: 16-bit sizes, 3-byte entries, the full table for its depth.
  std::vector<uint8_t> core(12 + 16 * 3 + 4, 0);
  core[0] = 12;
  core[4] = 3;  // width
  core[6] = 1;  // height
  core[8] = 1;  // planes
  core[10] = 4;
  l = DibLayout::Of(core);
  ASSERT_TRUE(l);
  EXPECT_EQ(l->colours, 16u);
  EXPECT_EQ(l->entryBytes, 3u);
  EXPECT_EQ(l->pixelOffset, 12u + 48);
  DibImage pic;
  core[12] = 9;  // blue of entry 0
  core[14] = 7;  // red of entry 0
  ASSERT_TRUE(pic.Adopt(core, true));
  EXPECT_EQ((*pic.palette())[0], (PaletteEntry{7, 0, 9, 0}));
}

TEST(DibLayout, RefusesHeadersThatLie) {
  DibImage good;
  ASSERT_TRUE(good.Create(4, 4, 24));
  auto lie = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> b = good.block();
    b[at] = value;
    return b;
  };
  EXPECT_FALSE(DibLayout::Of(lie(0, 41)));   // unknown header size
  EXPECT_FALSE(DibLayout::Of(lie(8, 5)));    // more rows than the block holds
  EXPECT_FALSE(DibLayout::Of(lie(7, 0x80))); // negative width
  EXPECT_FALSE(DibLayout::Of(lie(16, 1)));   // compressed
  EXPECT_FALSE(DibLayout::Of(lie(33, 1)));   // 256+ colours
  std::vector<uint8_t> cut = good.block();
  cut.resize(60);
  EXPECT_FALSE(DibLayout::Of(cut));
  EXPECT_FALSE(DibLayout::Of(std::vector<uint8_t>(3, 0)));

  DibImage colour;
  ASSERT_TRUE(colour.Adopt(good.block(), true)) << "a picture without a colour table adopts fine";
  EXPECT_FALSE(colour.palette().has_value());
  EXPECT_EQ(colour.width(), 4);

  DibImage pic;
  ASSERT_TRUE(pic.Create(1, 1, 8));
  auto before = pic.block();
  EXPECT_FALSE(pic.Adopt(lie(8, 200), true));
  EXPECT_EQ(pic.block(), before) << "a refused block leaves the picture as it was";
}

TEST(ExpandToEightBits, OneAndFourBitPicturesKeepEveryColourAndTheirTable) {
  const std::vector<std::array<uint8_t, 3>> two = {{10, 20, 30}, {250, 240, 230}};
  std::vector<std::array<uint8_t, 3>> sixteen, ten;
  for (uint8_t i = 0; i < 16; ++i) sixteen.push_back({uint8_t(i * 16), uint8_t(255 - i * 9), uint8_t(i * 5)});
  ten.assign(sixteen.begin(), sixteen.begin() + 10);
  auto mixed = [](int x, int y) { return x * 7 + y * 3 + x * y; };
  struct Case {
    const char* name;
    DibImage picture;
  };
  Case cases[] = {
      {"1 bit, rows crossing bytes", test::PalettedPicture(1, two, 13, 5, mixed)},
      {"1 bit, one pixel", test::PalettedPicture(1, two, 1, 1, mixed)},
      {"4 bits, odd width", test::PalettedPicture(4, sixteen, 5, 3, mixed)},
      {"4 bits, 10 colours used", test::PalettedPicture(4, ten, 34, 2, mixed)},
  };
  // A core header: 3-byte entries after 12 bytes; the resolutions of a
  // 40-byte header are kept.
  std::vector<uint8_t> core = {12, 0, 0, 0, 9, 0, 2, 0, 1, 0, 1, 0, 1, 2, 3, 4, 5, 6, 0b10110000, 0, 0, 0, 0b01000000, 0, 0, 0};
  Case coreCase{"core header", {}};
  ASSERT_TRUE(coreCase.picture.Adopt(core, true));
  cases[0].picture.block()[24] = 0x13, cases[0].picture.block()[29] = 0x0B, cases[0].picture.block()[36] = 1;

  for (Case* c : {&cases[0], &cases[1], &cases[2], &cases[3], &coreCase}) {
    SCOPED_TRACE(c->name);
    const DibLayout before = *c->picture.layout();
    const std::vector<uint8_t> head = c->picture.block();
    const test::RgbImage colours = test::PictureRgb(c->picture);
    ASSERT_TRUE(ExpandToEightBits(c->picture));
    auto after = c->picture.layout();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->bitCount, 8);
    EXPECT_EQ(after->headerBytes, 40u);
    EXPECT_EQ(after->width, before.width);
    EXPECT_EQ(after->height, before.height);
    EXPECT_EQ(U32(c->picture.block(), 32), before.colours) << "colours used states the table's size";
    EXPECT_EQ(U32(c->picture.block(), 20), after->imageBytes);
    EXPECT_EQ(test::PictureRgb(c->picture), colours) << "every pixel keeps its colour";
    ASSERT_TRUE(c->picture.palette());
    ASSERT_EQ(c->picture.palette()->size(), before.colours);
    for (uint32_t i = 0; i < before.colours; ++i) {
      const uint8_t* e = head.data() + before.headerBytes + i * before.entryBytes;
      EXPECT_EQ((*c->picture.palette())[i], (PaletteEntry{e[2], e[1], e[0], 0})) << "entry " << i;
    }
    if (before.headerBytes == 40) {
      EXPECT_EQ(U32(c->picture.block(), 24), U32(head, 24));
      EXPECT_EQ(U32(c->picture.block(), 28), U32(head, 28));
      EXPECT_EQ(U32(c->picture.block(), 36), U32(head, 36));
    }
  }

  // Depths the passes handle are left alone.
  for (int bits : {8, 24}) {
    DibImage pic;
    ASSERT_TRUE(pic.Create(3, 2, bits));
    pic.PixelBits()[1] = 200;
    const std::vector<uint8_t> before = pic.block();
    EXPECT_TRUE(ExpandToEightBits(pic));
    EXPECT_EQ(pic.block(), before) << bits;
  }
  DibImage empty;
  EXPECT_TRUE(ExpandToEightBits(empty));
  EXPECT_TRUE(empty.empty());
}

TEST(EffectRegion, WholePictureOrTheSelectionInsideIt) {
  DibImage pic;
  ASSERT_TRUE(pic.Create(10, 8, 24));
  EffectRegion all(pic);
  EXPECT_EQ(all.regionWidth, 10);
  EXPECT_EQ(all.regionHeight, 8);
  EXPECT_EQ(all.bits, 24);
  EffectRegion sel(pic, PictureRect{2, 3, 6, 5});
  EXPECT_EQ(sel.left, 2);
  EXPECT_EQ(sel.regionWidth, 4);
  EXPECT_EQ(sel.regionHeight, 2);
  EffectRegion empty(pic, PictureRect{4, 4, 4, 9});
  EXPECT_EQ(empty.regionWidth, 0) << "a selection holding no pixel leaves nothing to touch";
  EffectRegion beside(pic, PictureRect{20, 1, 30, 5});
  EXPECT_EQ(beside.regionWidth, 0);
  EXPECT_EQ(beside.left, 10);
  EffectRegion outside(pic, PictureRect{-5, 6, 40, 30});
  EXPECT_EQ(outside.left, 0);
  EXPECT_EQ(outside.right, 10);
  EXPECT_EQ(outside.bottom, 8);
}

TEST(ChannelValue, ClampsOnlyWhenStored) {
  EXPECT_EQ(StoreChannel(300), 255);
  EXPECT_EQ(StoreChannel(0), 0);
  EXPECT_EQ(StoreChannel(-40), 0);
  EXPECT_EQ(StoreChannel(1), 1);
  EXPECT_EQ(DivideChannel(7, 2), 4);
  EXPECT_EQ(DivideChannel(6, 4), 2);
  EXPECT_EQ(DivideChannel(-3, 2), -1);  // -1.5 + 0.5 truncated toward zero
  EXPECT_EQ(DivideChannel(-7, 2), -3);
}

}  // namespace
}  // namespace lumora
