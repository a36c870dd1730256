// lumora-cli mpeg-still, run in-process: the bytes written are FetchPicture's,
// the count test refuses one-group streams, and every failure is one line
// with the exit code of its kind.
#include "cli/MpegStillCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "mpeg/MpegStillDecoder.h"
#include "tests/TempDir.h"
#include "tests/mpeg/FfmpegStreams.h"

namespace lumora::cli {
namespace {

struct Result {
  int code;
  std::string out, err;
};

Result RunStill(std::vector<std::string> args) {
  std::ostringstream out, err;
  int code = RunMpegStillCommand(args, {out, err});
  return {code, out.str(), err.str()};
}

TEST(MpegStillCommand, WritesTheFetchedBytesOfEachFormat) {
  lumora::test::TempDir dir;
  auto in = dir / "a.m2v";
  mpeg::test::MakeStream(in, "352x240", 8, "-c:v mpeg2video -q:v 4 -g 4");
  for (int format : {0, 1, 2, 5, 6, 7, 8}) {
    auto out = dir / ("out" + std::to_string(format));
    Result r = format == 5 ? RunStill({in.string(), out.string()})
                           : RunStill({in.string(), out.string(), "--format", std::to_string(format)});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_TRUE(r.err.empty());
    mpeg::MpegStillDecoder d;
    ASSERT_EQ(d.Open(in.string()), mpeg::kOk);
    ASSERT_EQ(d.DecodePicture(), mpeg::kOk);
    std::vector<uint8_t> expected(d.PictureBytes(format));
    int w, h;
    ASSERT_EQ(d.FetchPicture(expected, w, h, format), expected.size());
    EXPECT_EQ(mpeg::test::ReadAll(out), expected) << "format " << format;
  }
  // Two groups of pictures pass the count test.
  EXPECT_EQ(RunStill({in.string(), (dir / "counted.bmp").string(), "--count-test"}).code, kExitOk);
}

TEST(MpegStillCommand, FailuresPrintTheDecodersCode) {
  lumora::test::TempDir dir;
  auto one = dir / "one.m2v";
  mpeg::test::MakeStream(one, "352x240", 1, "-c:v mpeg2video -q:v 4");
  lumora::test::WriteText(dir / "ts.bin", std::string("\x47\x40\x00\x10", 4));
  auto out = (dir / "out.bmp").string();

  Result ts = RunStill({(dir / "ts.bin").string(), out});
  EXPECT_EQ(ts.code, kExitBadInput);
  EXPECT_EQ(ts.err, "lumora-cli mpeg-still: error -9\n");
  Result missing = RunStill({(dir / "none.m2v").string(), out});
  EXPECT_EQ(missing.err, "lumora-cli mpeg-still: error -4\n");
  Result counted = RunStill({one.string(), out, "--count-test"});
  EXPECT_EQ(counted.code, kExitBadInput);
  EXPECT_EQ(counted.err, "lumora-cli mpeg-still: error -6\n");
  Result badFormat = RunStill({one.string(), out, "--format", "3"});
  EXPECT_EQ(badFormat.code, kExitBadInput);
  EXPECT_EQ(badFormat.err, "lumora-cli mpeg-still: error -3\n");
  EXPECT_FALSE(std::filesystem::exists(out)) << "nothing is written on failure";

  EXPECT_EQ(RunStill({one.string(), out}).code, kExitOk) << "the information variant takes one picture";
  Result unwritable = RunStill({one.string(), (dir / "no-folder" / "out.bmp").string()});
  EXPECT_EQ(unwritable.code, kExitCannotWrite);

  for (auto args : std::vector<std::vector<std::string>>{
           {}, {one.string()}, {one.string(), out, "extra"}, {one.string(), out, "--format"},
           {one.string(), out, "--format", "x5"}, {one.string(), out, "--bogus"}}) {
    Result r = RunStill(args);
    EXPECT_EQ(r.code, kExitBadArguments) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

}  // namespace
}  // namespace lumora::cli
