#include "support/report_error.h"

#include <gtest/gtest.h>

#include <string>

#include "support/error_codes.h"
#include "support/prompter.h"

namespace {

class ReportErrorTest : public ::testing::Test {
 protected:
  RecordingPrompter prompter;
  ScopedPrompter scope{prompter};
};

TEST_F(ReportErrorTest, FormatsFileNameUnderCaptionWithExclamation) {
  ReportError(kErrCannotOpen, "Load Image", "c:\\clips\\wipe.tga");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Can not open file 'c:\\clips\\wipe.tga'");
  EXPECT_EQ(prompter.messages[0].caption, "Load Image");
  EXPECT_EQ(prompter.messages[0].style, kMbOk | kMbIconExclamation);
  EXPECT_EQ(prompter.beeps, 1);
}

TEST_F(ReportErrorTest, PlainShowsTextWithoutPlaceholders) {
  ReportErrorPlain(kErrNoDevice, "Init Orvane");
  ReportErrorPlain(kErrNoMemory, "Load Image");
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text, "There is no 'Orvane' device/driver");
  EXPECT_EQ(prompter.messages[0].caption, "Init Orvane");
  EXPECT_EQ(prompter.messages[1].text, "Not enough conventional memory");
  EXPECT_EQ(prompter.beeps, 2);
}

TEST_F(ReportErrorTest, PlainWithoutCaptionIsTitledError) {
  ReportErrorPlain(kErrBadFile);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].caption, "ERROR");
  EXPECT_EQ(prompter.messages[0].text, "Bad file");
}

TEST_F(ReportErrorTest, QuietCodesShowNothingWithEitherRoutine) {
  for (int32_t code : {0, 15, 16, kErrorCount, -1, 1000}) {
    ReportError(code, "Write AVI", "x.avi");
    ReportErrorPlain(code, "Write AVI");
    ReportErrorPlain(code);
  }
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(prompter.beeps, 0);
}

TEST_F(ReportErrorTest, FileErrorNamesTheFileOnlyWhereTheTextHasAPlaceForIt) {
  const struct {
    int32_t code;
    const char* text;  // nullptr: nothing shown
  } cases[] = {
      {kErrNoFile, "No file 'out.avi'"},
      {kErrCannotWrite, "Can not write file 'out.avi'"},
      // A byte count's place is not a name's.
      {kErrNoMemory, "Not enough conventional memory"},
      {kErrDriverMemory, "Not enough memory in video driver"},
      {kErrVideoParameters, "Invalid video parameters (f.e. width and height of image)"},
      {kErrCancelled, nullptr},
      {kErrorCount, nullptr},
  };
  for (const auto& c : cases) {
    prompter.messages.clear();
    ReportFileError(c.code, "Write AVI", "out.avi");
    if (c.text == nullptr) {
      EXPECT_TRUE(prompter.messages.empty()) << c.code;
      continue;
    }
    ASSERT_EQ(prompter.messages.size(), 1u) << c.code;
    EXPECT_EQ(prompter.messages[0].text, c.text);
    EXPECT_EQ(prompter.messages[0].caption, "Write AVI");
  }
}

TEST_F(ReportErrorTest, FileNameIsNeverUsedAsFormat) {
  ReportError(kErrBadFile, "Open AVI", "%s%n%ld%%.avi");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Bad file '%s%n%ld%%.avi'");
}

TEST_F(ReportErrorTest, NumberFillsNumericPlaceholder) {
  ReportError(kErrDriverMemory, "Start Playback", int32_t{4194304});
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Not enough memory in video driver (4194304 bytes)");
}

TEST_F(ReportErrorTest, LongTextIsCutToBufferWithoutSplittingCharacters) {
  // "é" is two bytes; an odd prefix makes the limit fall inside one.
  std::string name = "x";
  for (int i = 0; i < 800; ++i)
    name += "\xC3\xA9";
  const std::string text = FormatErrorText(kErrCannotWrite, std::string_view(name));
  EXPECT_LE(text.size(), kMaxErrorText);
  EXPECT_GE(text.size(), kMaxErrorText - 1);
  EXPECT_NE(static_cast<unsigned char>(text.back()) & 0xC0, 0xC0) << "cut mid-character";
  EXPECT_EQ(text.rfind("Can not write file '", 0), 0u);
}

TEST(ErrorTablesTest, EveryCodeHasBothTextsAndPlainTextsHaveNoPlaceholders) {
  for (int32_t code = 0; code < kErrorCount; ++code) {
    ASSERT_NE(ErrorFormats[code], nullptr);
    ASSERT_NE(ErrorTexts[code], nullptr);
    EXPECT_EQ(std::string(ErrorTexts[code]).find('%'), std::string::npos) << code;
    if (std::string(ErrorFormats[code]).find('%') == std::string::npos) {
      EXPECT_STREQ(ErrorFormats[code], ErrorTexts[code]) << code;
    }
  }
  EXPECT_STREQ(ErrorFormats[kErrFatal], "Fatal (data or code destroyed)");
  EXPECT_STREQ(ErrorFormats[kErrNotFilm], "File '%s' is NOT Zelbrin film");
  EXPECT_STREQ(ErrorTexts[kErrDoneAlready], "It have been done already");
}

TEST(PrompterTest, RecorderAnswersQuestionsInOrderThenOk) {
  RecordingPrompter prompter;
  prompter.answers = {false, true};
  EXPECT_FALSE(prompter.AskOkCancel("q1", "c"));
  EXPECT_TRUE(prompter.AskOkCancel("q2", "c"));
  EXPECT_TRUE(prompter.AskOkCancel("q3", "c"));
  EXPECT_EQ(prompter.questions.size(), 3u);
}

TEST(PrompterTest, ScopeRestoresPreviousPrompter) {
  Prompter* before = &CurrentPrompter();
  {
    RecordingPrompter prompter;
    ScopedPrompter scope(prompter);
    EXPECT_EQ(&CurrentPrompter(), &prompter);
  }
  EXPECT_EQ(&CurrentPrompter(), before);
}

}  // namespace
