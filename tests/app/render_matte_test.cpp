// The desktop program's matte render: the real render behind the export's
// progress dialog, on the offscreen platform.
#include "app/render_matte.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "avi/ui/termometer_dialog.h"
#include "support/error_codes.h"
#include "support/prompter.h"
#include "tests/avi/avi_test_support.h"

namespace {

using avitest::ScratchDir;

GreyImage Pattern() {
  GreyImage image{16, 12, std::vector<uint8_t>(16 * 12)};
  for (size_t k = 0; k < image.pixels.size(); ++k)
    image.pixels[k] = static_cast<uint8_t>(k);
  return image;
}

TEST(RenderMatteVideoTest, WritesTheFileOrReportsWhyNot) {
  const GreyImage pattern = Pattern();
  GreyImage none;
  struct Case {
    const char* name;
    const GreyImage* pattern;
    const char* file;
    int32_t code;
    const char* message;  // empty: none
  };
  const Case cases[] = {
      {"a matte video", &pattern, "m.mkv", kOk, ""},
      {"a name of no kind", &pattern, "m.gif", kErrBadFile, "Bad file '"},
      {"no pattern", &none, "m.mkv", kErrVideoParameters, "Invalid video parameters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    RecordingPrompter prompter;
    ScopedPrompter scope(prompter);
    TermometerDialog progress(nullptr);
    MatteVideoRequest request;
    request.pattern = c.pattern;
    request.durationMs = 400;
    request.frameRate = 25.0f;
    request.fileName = dir.File(c.file);
    EXPECT_EQ(RenderMatteVideo(&progress, request), c.code);
    if (c.code == kOk) {
      EXPECT_TRUE(prompter.messages.empty());
      // Matroska's EBML magic.
      std::ifstream in(request.fileName, std::ios::binary);
      const std::string head(std::istreambuf_iterator<char>(in), {});
      EXPECT_EQ(head.substr(0, 4), "\x1a\x45\xdf\xa3");
      continue;
    }
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].caption, "Render Matte");
    EXPECT_EQ(prompter.messages[0].text.rfind(c.message, 0), 0u) << prompter.messages[0].text;
    EXPECT_TRUE(dir.Names().empty());
  }
}

}  // namespace
