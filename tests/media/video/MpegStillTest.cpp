// The MPEG still capture against ffmpeg's decode of the picture at the
// position, the item preview's choices and failures, and `lumora-cli preview`.
#include "media/video/MpegStillCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>

#include "cli/Cli.h"
#include "media/codecs/Bmp.h"
#include "media/video/ItemPreview.h"
#include "tests/TempDir.h"
#include "tests/media/video/VideoMedia.h"

namespace lumora::video::test {
namespace {

using lumora::test::TempDir;

DibImage ReadStill(const std::filesystem::path& path) {
  DibImage picture;
  EXPECT_TRUE(ReadBmpFile(picture, path.string())) << path;
  return picture;
}

// The still is the first picture at or after the position: with key
// pictures every 12 and B-pictures, the picture at 1 s (number 25) is
// decoded from the key picture 24 and differs from both neighbours.
TEST(CaptureMpegStill, Mpeg1FormTakesThePictureAtOneSecond) {
  TempDir dir;
  const auto clip = dir / "m1.mpg";
  MakeClip(clip, "352x240", "25", 2, "-c:v mpeg1video -q:v 2 -g 12 -bf 2 -f mpeg", "-c:a mp2");
  std::string error;
  ASSERT_EQ(CaptureMpegStill(MpegForm::Mpeg1, clip.string(), (dir / "still.bmp").string(), &error), 1) << error;
  const DibImage still = ReadStill(dir / "still.bmp");
  EXPECT_EQ(still.width(), 352);
  EXPECT_EQ(still.height(), 240);
  const double atPosition = PicturePsnr(still, ReferenceFrame(clip, "gte(t\\,1)"));
  EXPECT_GT(atPosition, 35);
  EXPECT_GT(atPosition, PicturePsnr(still, ReferenceFrame(clip, "eq(n\\,24)")) + 1);
  EXPECT_GT(atPosition, PicturePsnr(still, ReferenceFrame(clip, "eq(n\\,26)")) + 1);
}

// One key picture for the whole clip: the seek near the position finds none
// before it, and the decode has to go back to the first byte of the file.
TEST(CaptureMpegStill, AGroupLongerThanTheClipIsDecodedFromItsStart) {
  TempDir dir;
  const auto clip = dir / "longgop.mpg";
  MakeClip(clip, "352x240", "25", 3, "-c:v mpeg1video -q:v 2 -g 100 -f mpeg");
  std::string error;
  ASSERT_EQ(CaptureMpegStill(MpegForm::Mpeg1, clip.string(), (dir / "still.bmp").string(), &error), 1) << error;
  const DibImage still = ReadStill(dir / "still.bmp");
  EXPECT_GT(PicturePsnr(still, ReferenceFrame(clip, "gte(t\\,1)")), 35);
}

// A bare video stream has no time stamps to measure its length or seek by:
// the length the demuxer guesses from the bit rate must not refuse the seek,
// the still is the first picture at or after one second (picture 25 at 25
// a second), and a stream that ends before one second gives the first
// picture at or after half a second (picture 13).
TEST(CaptureMpegStill, ABareVideoStreamTakesThePictureAtOneSecondOrHalfASecond) {
  TempDir dir;
  struct Case {
    const char* options;
    double seconds;
    int picture;
  };
  for (const Case& c : {Case{"-c:v mpeg1video -g 12 -bf 2 -f mpeg1video", 2, 25},
                        Case{"-c:v mpeg2video -g 15 -bf 2 -f mpeg2video", 2, 25},
                        Case{"-c:v mpeg1video -g 12 -bf 2 -f mpeg1video", 0.8, 13}}) {
    const auto clip = dir / "bare.mpg";
    MakeClip(clip, "352x240", "25", c.seconds, std::string("-q:v 2 ") + c.options);
    std::string error;
    ASSERT_EQ(CaptureMpegStill(MpegForm::Mpeg1, clip.string(), (dir / "still.bmp").string(), &error), 1) << error;
    const DibImage still = ReadStill(dir / "still.bmp");
    auto psnr = [&](int picture) {
      return PicturePsnr(still, ReferenceFrame(clip, "eq(n\\," + std::to_string(picture) + ")"));
    };
    const double atPosition = psnr(c.picture);
    EXPECT_GT(atPosition, 35) << c.options << " " << c.seconds;
    EXPECT_GT(atPosition, psnr(c.picture - 1) + 1) << c.options << " " << c.seconds;
    EXPECT_GT(atPosition, psnr(c.picture + 1) + 1) << c.options << " " << c.seconds;
  }
}

TEST(CaptureMpegStill, ClipsShorterThanASecondGiveThePictureAtHalfASecond) {
  TempDir dir;
  const auto clip = dir / "short.mpg";
  MakeClip(clip, "720x480", "25", 0.8, "-c:v mpeg2video -q:v 2 -g 12 -f vob");
  std::string error;
  ASSERT_EQ(CaptureMpegStill(MpegForm::Mpeg2, clip.string(), (dir / "still.bmp").string(), &error), 1) << error;
  const DibImage still = ReadStill(dir / "still.bmp");
  const double atHalf = PicturePsnr(still, ReferenceFrame(clip, "gte(t\\,0.5)"));
  EXPECT_GT(atHalf, 35);
  EXPECT_GT(atHalf, PicturePsnr(still, ReferenceFrame(clip, "eq(n\\,0)")) + 1);
}

struct FormCase {
  const char* name;
  MpegForm form;
  const char* options;
};
void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }

class StillSizes : public testing::TestWithParam<FormCase> {};

// Clips of two pictures: the still is the first, ffmpeg's first picture.
TEST_P(StillSizes, EveryWidthAndOddHeightMatchesFfmpegsDecode) {
  TempDir dir;
  const std::vector<ClipSize> sizes = ConversionSizes();
  const auto clips = MakeClipsOfSizes(dir.path(), sizes, 2, GetParam().options, ".mpg");
  const auto references = FirstFrames(clips);
  for (size_t i = 0; i < clips.size(); ++i) {
    const auto still = dir / "still.bmp";
    std::string error;
    ASSERT_EQ(CaptureMpegStill(GetParam().form, clips[i].string(), still.string(), &error), 1) << error;
    const DibImage picture = ReadStill(still);
    EXPECT_EQ(picture.width(), sizes[i].width);
    EXPECT_EQ(picture.height(), sizes[i].height);
    EXPECT_GT(PicturePsnr(picture, references[i]), 40) << clips[i].filename();
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, StillSizes,
                         testing::Values(FormCase{"Mpeg1", MpegForm::Mpeg1, "-c:v mpeg1video -q:v 2 -f mpeg"},
                                         FormCase{"Mpeg2", MpegForm::Mpeg2, "-c:v mpeg2video -q:v 2 -f vob"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CaptureMpegStill, FilesThatAreNotMpegGiveNoStill) {
  TempDir dir;
  MakeClip(dir / "clip.avi", "160x120", "25", 1.5, "-c:v mjpeg");
  lumora::test::WriteText(dir / "noise.mpg", std::string(50000, '\x47'));
  for (MpegForm form : {MpegForm::Mpeg1, MpegForm::Mpeg2}) {
    for (const char* name : {"clip.avi", "noise.mpg", "missing.mpg"}) {
      std::string error;
      EXPECT_EQ(CaptureMpegStill(form, (dir / name).string(), (dir / "still.bmp").string(), &error), 0) << name;
      EXPECT_FALSE(error.empty());
      EXPECT_FALSE(std::filesystem::exists(dir / "still.bmp"));
    }
  }
}

TEST(ItemPreview, EachExtensionTakesItsReader) {
  TempDir dir;
  MakeClip(dir / "clip.MPEG", "352x240", "25", 1.5, "-c:v mpeg1video -f mpeg");
  MakeClip(dir / "dv.avi", "720x480", "30000/1001", 0.2, "-c:v dvvideo -pix_fmt yuv411p");
  MakeClip(dir / "raw.avi", "64x48", "25", 0.2, "-c:v rawvideo -pix_fmt pal8");
  MakeClip(dir / "rec.m2v", "352x288", "25", 0.5, "-c:v mpeg2video -f mpeg2video");
  std::vector<uint8_t> recording = ReadAll(dir / "rec.m2v");
  recording.push_back(1);  // trailer kind 1: a video recording
  recording.resize(recording.size() + 15, 0);
  std::ofstream(dir / "rec.erm", std::ios::binary)
      .write(reinterpret_cast<const char*>(recording.data()), std::streamsize(recording.size()));
  struct Expect {
    const char* name;
    int width, height, bits;
  };
  for (const Expect& e : {Expect{"clip.MPEG", 352, 240, 24}, Expect{"dv.avi", 720, 480, 24},
                          Expect{"raw.avi", 64, 48, 8}, Expect{"rec.erm", 352, 288, 24}}) {
    ItemPreviewResult result = LoadItemPreview((dir / e.name).string(), dir.path().string());
    ASSERT_TRUE(result.ok()) << e.name << ": " << result.error;
    EXPECT_EQ(result.picture.width(), e.width) << e.name;
    EXPECT_EQ(result.picture.height(), e.height) << e.name;
    EXPECT_EQ(result.picture.BitCount(), e.bits) << e.name;
  }
  EXPECT_EQ(LoadItemPreview((dir / "rec.m2v").string()).status, PreviewStatus::NotVideo);
}

// A capture that fails leaves the still file missing, so a still an earlier
// capture left behind can't pass for this file's picture.
TEST(ItemPreview, AnMpegStillThatCannotBeLoadedNamesTheStillFile) {
  TempDir dir;
  MakeClip(dir / "other.mpg", "160x120", "25", 1.5, "-c:v mpeg1video -f mpeg");
  const ItemPreviewResult other = LoadItemPreview((dir / "other.mpg").string(), dir.path().string());
  ASSERT_TRUE(other.ok()) << other.error;
  ASSERT_TRUE(WriteBmpFile(other.picture, (dir / "lumoraTemp.bmp").string()));
  lumora::test::WriteText(dir / "broken.mpg", std::string(4000, '\0'));
  ItemPreviewResult result = LoadItemPreview((dir / "broken.mpg").string(), dir.path().string());
  EXPECT_EQ(result.status, PreviewStatus::StillNotLoaded);
  EXPECT_EQ(result.error, (dir / "lumoraTemp.bmp").string());
  EXPECT_TRUE(result.picture.empty());
}

// Restores an environment variable when the test ends.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    if (old) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Without a still folder the still goes into a fresh private folder under
// $XDG_RUNTIME_DIR, or the temporary folder when that can't take one, and
// the folder is gone again afterwards.
TEST(ItemPreview, TheDefaultStillFolderIsPrivateAndRemoved) {
  TempDir dir, runtime, temp;
  MakeClip(dir / "clip.mpg", "160x120", "25", 1.5, "-c:v mpeg1video -f mpeg");
  lumora::test::WriteText(dir / "broken.mpg", "no stream here");
  ScopedEnv tmpdir("TMPDIR", temp.path().string());
  {
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().string());
    const ItemPreviewResult good = LoadItemPreview((dir / "clip.mpg").string());
    EXPECT_TRUE(good.ok()) << good.error;
    const ItemPreviewResult bad = LoadItemPreview((dir / "broken.mpg").string());
    EXPECT_EQ(bad.status, PreviewStatus::StillNotLoaded);
    EXPECT_EQ(bad.error.rfind(runtime.path().string() + "/lumora-still-", 0), 0u) << bad.error;
  }
  {
    ScopedEnv xdg("XDG_RUNTIME_DIR", (runtime / "gone").string());
    const ItemPreviewResult good = LoadItemPreview((dir / "clip.mpg").string());
    EXPECT_TRUE(good.ok()) << good.error;
  }
  EXPECT_TRUE(std::filesystem::is_empty(runtime.path()));
  EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

struct CliResult {
  int code;
  std::string out, err;
};

CliResult RunPreview(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"lumora-cli", "preview"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::ostringstream out, err;
  const int code = cli::Run(argv, {out, err});
  return {code, out.str(), err.str()};
}

TEST(PreviewCommand, WritesThePreviewOrOneErrorLine) {
  TempDir dir;
  MakeClip(dir / "clip.avi", "160x120", "25", 0.2, "-c:v mjpeg");
  const CliResult ok = RunPreview({(dir / "clip.avi").string(), (dir / "out.bmp").string()});
  EXPECT_EQ(ok.code, cli::kExitOk) << ok.err;
  EXPECT_EQ(ReadStill(dir / "out.bmp").width(), 160);

  lumora::test::WriteText(dir / "broken.mpg", "no stream here");
  const CliResult bad = RunPreview({(dir / "broken.mpg").string(), (dir / "out2.bmp").string()});
  EXPECT_EQ(bad.code, cli::kExitBadInput);
  EXPECT_EQ(bad.err.rfind("lumora-cli preview: Load() failed - ", 0), 0u) << bad.err;
  EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "out2.bmp"));

  EXPECT_EQ(RunPreview({(dir / "clip.avi").string()}).code, cli::kExitBadArguments);
  EXPECT_EQ(RunPreview({(dir / "notes.txt").string(), (dir / "o.bmp").string()}).code, cli::kExitBadArguments);
  EXPECT_EQ(RunPreview({(dir / "clip.avi").string(), (dir / "no/such/dir/o.bmp").string()}).code,
            cli::kExitCannotWrite);
}

}  // namespace
}  // namespace lumora::video::test
