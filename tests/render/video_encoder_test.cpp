#include "render/video_encoder.h"

#include <gtest/gtest.h>

#include "render/output_kind.h"
#include "render/render_report.h"
#include "support/error_codes.h"

namespace {

TEST(VideoEncoderTest, OpensEveryCodecACommandOffers) {
  for (VideoCodec codec : {VideoCodec::kFfv1, VideoCodec::kProRes, VideoCodec::kH264,
                           VideoCodec::kPng}) {
    const EncoderChoice choice = EncoderFor(codec);
    CodecContextHandle encoder;
    RenderStatus status;
    EXPECT_EQ(OpenVideoEncoder(choice, 64, 48, AVRational{25, 1}, true, encoder, status), kOk)
        << choice.encoder << ": " << status.libraryMessage;
    ASSERT_TRUE(encoder) << choice.encoder;
    EXPECT_EQ(encoder->pix_fmt, choice.pixelFormat);
    EXPECT_EQ(encoder->time_base.num, 1);
    EXPECT_EQ(encoder->time_base.den, 25);
  }
}

TEST(VideoEncoderTest, RefusalsCarryOurCodeAndTheLibrarysWords) {
  struct Case {
    const char* name;
    EncoderChoice choice;
    int32_t width;
    int32_t code;
    const char* text;  // the start of the message
  };
  EncoderChoice missing = EncoderFor(VideoCodec::kH264);
  // An encoder of the library's own sources that only Windows builds have.
  missing.encoder = "h264_mf";
  EncoderChoice badProfile = EncoderFor(VideoCodec::kProRes);
  badProfile.options = {{"profile", "no-such-profile"}};
  const Case cases[] = {
      {"an encoder this build lacks", missing, 64, kErrNoEncoder,
       "No video encoder 'h264_mf' (video library: Encoder not found)"},
      // 4:2:0 halves the width, so x264 takes even sizes only.
      {"an odd width for 4:2:0", EncoderFor(VideoCodec::kH264), 63, kErrVideoParameters,
       "Invalid video parameters"},
      {"an option the encoder refuses", badProfile, 64, kErrVideoParameters,
       "Invalid video parameters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CodecContextHandle encoder;
    RenderStatus status;
    EXPECT_EQ(OpenVideoEncoder(c.choice, c.width, 48, AVRational{25, 1}, false, encoder, status),
              c.code);
    EXPECT_FALSE(encoder);
    EXPECT_EQ(status.code, c.code);
    EXPECT_FALSE(status.libraryMessage.empty());
    EXPECT_EQ(RenderFailureText(status).rfind(c.text, 0), 0u) << RenderFailureText(status);
  }
}

TEST(OutputKindTest, TheNameSaysWhatIsWritten) {
  const struct {
    const char* path;
    OutputKind kind;
  } cases[] = {
      {"a/m.mkv", OutputKind::kMatroska},
      {"M.MOV", OutputKind::kQuickTime},
      {"m.Avi", OutputKind::kAvi},
      {"w.mp4", OutputKind::kMp4},
      {"seq/matte-%04d.png", OutputKind::kPngSequence},
      {"matte-%d.PNG", OutputKind::kPngSequence},
      {"matte.png", OutputKind::kUnknown},
      {"matte-%04d.mkv", OutputKind::kUnknown},
      {"100%.mkv", OutputKind::kMatroska},
      {"m.webm", OutputKind::kUnknown},
      {"folder.mkv/m", OutputKind::kUnknown},
      {"m", OutputKind::kUnknown},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OutputKindOf(c.path), c.kind) << c.path;
}

TEST(OutputKindTest, APictureNameFromADialogIsNumbered) {
  const struct {
    const char* chosen;
    const char* written;
  } cases[] = {
      {"/w/matte.png", "/w/matte-%04d.png"},
      {"/w/Matte.PNG", "/w/Matte-%04d.PNG"},
      {"/w.v2/m-%03d.png", "/w.v2/m-%03d.png"},
      {"/w/matte.mkv", "/w/matte.mkv"},
      {"/w.png/matte", "/w.png/matte"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NumberedSequenceName(c.chosen), c.written) << c.chosen;
}

}  // namespace
