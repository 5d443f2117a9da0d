#pragma once

#include <cstdint>
#include <string>

#include "wipe/grey_image.h"

class QWidget;

// What the dialog hands over to render its wipe as a matte video.
struct MatteVideoRequest {
  // The pattern as loaded; the matte has its size.
  const GreyImage* pattern = nullptr;
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

// Renders the matte with the export's progress dialog over parent (Cancel
// stops it and keeps nothing), reports a failure under "Render Matte" and
// returns 0, kErrCancelled or the code reported.
int32_t RenderMatteVideo(QWidget* parent, const MatteVideoRequest& request);
