#include "render/render_report.h"

#include "support/error_codes.h"
#include "support/prompter.h"
#include "support/report_error.h"

std::string RenderFailureText(const RenderStatus& status) {
  if (!IsShownError(status.code))
    return {};
  // A name goes only where the code's text has a place for one.
  const bool named = std::string_view(ErrorFormats[status.code]).find("%s") != std::string_view::npos;
  std::string text = named ? FormatErrorText(status.code, ErrorValue{std::string_view(status.file)})
                           : std::string(ErrorTexts[status.code]);
  if (!status.libraryMessage.empty())
    text += " (video library: " + status.libraryMessage + ")";
  return text;
}

void ReportRenderFailure(const RenderStatus& status, std::string_view caption) {
  const std::string text = RenderFailureText(status);
  if (text.empty())
    return;
  Prompter& prompter = CurrentPrompter();
  prompter.Beep();
  prompter.ShowMessage(text, std::string(caption), kMbOk | kMbIconExclamation);
}
