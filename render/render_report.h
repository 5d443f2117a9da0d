#pragma once

#include <string>
#include <string_view>

#include "render/render_status.h"

// The message for a render that failed: our code's text with the file (or
// encoder) it names, then the video library's own words when it gave any.
// Empty for a success or a cancel.
std::string RenderFailureText(const RenderStatus& status);

// Shows that message through the prompter under caption.
void ReportRenderFailure(const RenderStatus& status, std::string_view caption);
