#pragma once

#include <cstdint>
#include <string>

#include "wipe/grey_image.h"

class ExportProgress;

// What the dialog hands over to render its wipe as a matte video.
struct MatteVideoRequest {
  // The pattern as loaded, scaled to the frame size; a frame size of 0 x 0
  // keeps the pattern's own.
  const GreyImage* pattern = nullptr;
  int32_t frameWidth = 0;
  int32_t frameHeight = 0;
  // The Alpha values the wipe runs from and to, both reached.
  int32_t fromAlpha = -24;
  int32_t toAlpha = 279;
  int32_t edgeWidth = 48;
  int32_t durationMs = 1000;
  float frameRate = 29.97f;
  bool invert = false;
  bool reverse = false;
  // Its kind follows its name: .mkv, .avi, .mov, or a numbered .png.
  std::string fileName;
};

// Renders the matte, reporting to progress (the export's dialog, whose
// Cancel stops it and keeps nothing), reports a failure under "Render
// Matte" and returns 0, kErrCancelled or the code reported.
int32_t RenderMatteVideo(ExportProgress* progress, const MatteVideoRequest& request);
