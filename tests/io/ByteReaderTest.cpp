// The bounded byte and bit readers: values in both bit orders against a
// one-bit-at-a-time reference, and the contract past the end: zeros and a
// sticky truncated flag.
#include "io/ByteReader.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace lumora {
namespace {

TEST(ByteReader, ReadsLittleEndianAndZerosPastTheEnd) {
  const std::vector<uint8_t> data = {0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xAA, 0xBB};
  ByteReader in(data);
  EXPECT_EQ(in.U32Le(), 0x04030201u);
  EXPECT_EQ(in.I32Le(), -1);
  EXPECT_EQ(in.U16Le(), 0xBBAA);
  EXPECT_TRUE(in.AtEnd());
  EXPECT_FALSE(in.truncated()) << "reading up to the end is not past it";
  EXPECT_EQ(in.U8(), 0);
  EXPECT_TRUE(in.truncated());
  in.Seek(0);
  EXPECT_EQ(in.U8(), 0x01);
  EXPECT_TRUE(in.truncated()) << "the flag is sticky";

  ByteReader partial(std::span<const uint8_t>(data).first(3));
  EXPECT_EQ(partial.U32Le(), 0x00030201u) << "the missing byte reads as zero";
  EXPECT_TRUE(partial.truncated());

  ByteReader view(data);
  view.Skip(4);
  std::span<const uint8_t> rest = view.Bytes(100);
  EXPECT_EQ(rest.data(), data.data() + 4);
  EXPECT_EQ(rest.size(), 6u) << "only the bytes that are there";
  EXPECT_TRUE(view.truncated());

  ByteReader seek(data);
  seek.Seek(10);
  EXPECT_FALSE(seek.truncated());
  seek.Seek(11);
  EXPECT_TRUE(seek.truncated());
  EXPECT_EQ(seek.position(), 10u);
}

// Random data read in random field widths from 0 to 32 bits, well past the
// end, compared with reading one bit at a time.
template <BitOrder Order>
void CompareWithBitByBit(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> data(random() % 40);
  for (auto& b : data) b = uint8_t(random());
  auto bit = [&](uint64_t i) -> uint32_t {
    if (i / 8 >= data.size()) return 0;
    return Order == BitOrder::LsbFirst ? data[i / 8] >> (i % 8) & 1 : data[i / 8] >> (7 - i % 8) & 1;
  };
  BitReader<Order> bits(data);
  for (uint64_t at = 0; at < data.size() * 8 + 70;) {
    int n = int(random() % 33);
    uint32_t expected = 0;
    for (int k = 0; k < n; ++k)
      expected = Order == BitOrder::LsbFirst ? expected | bit(at + uint64_t(k)) << k
                                             : expected << 1 | bit(at + uint64_t(k));
    ASSERT_EQ(bits.Peek(n), expected) << "peek of " << n << " bits at bit " << at;
    ASSERT_EQ(bits.truncated(), at > data.size() * 8) << "peeking is not reading";
    ASSERT_EQ(bits.Read(n), expected) << n << " bits at bit " << at;
    at += uint64_t(n);
    ASSERT_EQ(bits.consumed(), at);
    ASSERT_EQ(bits.truncated(), at > data.size() * 8) << "at bit " << at;
  }
}

TEST(BitReader, MatchesBitByBitReadingInBothOrders) {
  for (uint32_t seed = 0; seed < 200; ++seed) {
    SCOPED_TRACE(seed);
    CompareWithBitByBit<BitOrder::LsbFirst>(seed);
    CompareWithBitByBit<BitOrder::MsbFirst>(seed);
  }
}

}  // namespace
}  // namespace lumora
