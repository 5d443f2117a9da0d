#include "app/fx_tool_tips.h"

#include <filesystem>

#include "app/fx_templates.h"
#include "controls/te_dialog.h"

namespace {

struct ToolTip {
  int id;
  const char* text;
};

constexpr ToolTip kToolTips[] = {
    {kIdImage, "Load a picture as the wipe pattern"},
    {kIdAbout, "The program's version and the card library in use"},
    {kIdExit, "Close Orvane FX"},
    {kIdAlphaSlider, "Alpha: where the edge of the wipe is. The wheel moves it by 10"},
    {kIdAlpha, "Alpha: where the edge of the wipe is. The wheel steps it by 1, or 10 with Shift"},
    {kIdWidth, "Width: how soft the edge is, 0 to 255. The wheel steps it by 1, or 10 with Shift"},
    {kIdDuration, "Duration of one pass. The wheel turns the digit under the pointer"},
    {kIdPlay, "Play the wipe on the card, in and out, until Stop"},
    {kIdExport, "Write the wipe into an AVI file in the card's format"},
};

}  // namespace

void SetFxToolTips(TEDialog& dialog) {
  for (const ToolTip& tip : kToolTips) {
    if (QWidget* item = dialog.Item(tip.id))
      item->setToolTip(QString::fromLatin1(tip.text));
  }
}

QString PreviewHintText() {
  return QStringLiteral("Drop a picture here, or choose Image");
}

QString PreviewPatternToolTip(const std::string& path, int32_t width, int32_t height) {
  const std::string name = std::filesystem::path(path).filename().string();
  return QStringLiteral("%1, %2 x %3 pixels\nDrag across the picture to move Alpha")
      .arg(QString::fromStdString(name))
      .arg(width)
      .arg(height);
}
