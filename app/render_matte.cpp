#include "app/render_matte.h"

#include "render/matte_render.h"
#include "render/render_report.h"
#include "support/error_codes.h"
#include "support/report_error.h"
#include "support/time_code.h"

namespace {

// The card's 29.97 is NTSC's 2997/100, which players show as such; any
// other rate as near as a thousandth allows.
AVRational RateOf(float fps) {
  if (fps == kNtscFrameRate)
    return AVRational{2997, 100};
  return av_d2q(static_cast<double>(fps), 100000);
}

}  // namespace

int32_t RenderMatteVideo(ExportProgress* progress, const MatteVideoRequest& request) {
  if (!request.pattern || request.pattern->Empty()) {
    ReportErrorPlain(kErrVideoParameters, "Render Matte");
    return kErrVideoParameters;
  }
  MatteSettings settings;
  settings.edgeWidth = request.edgeWidth;
  settings.lowPosition = request.fromAlpha;
  settings.highPosition = request.toAlpha;
  settings.frameCount = MsToFrames(request.durationMs, request.frameRate);
  const bool ownSize = request.frameWidth <= 0 || request.frameHeight <= 0;
  settings.width = ownSize ? request.pattern->width : request.frameWidth;
  settings.height = ownSize ? request.pattern->height : request.frameHeight;
  settings.frameRate = RateOf(request.frameRate);
  settings.invert = request.invert;
  settings.reverse = request.reverse;

  RenderStatus status;
  const int32_t code = RenderMatte(*request.pattern, settings, request.fileName, progress, status);
  ReportRenderFailure(status, "Render Matte");
  return code;
}
