#pragma once

#include <QString>
#include <cstdint>
#include <string>

class TEDialog;

// The short help the effect dialog's items show under the pointer.
void SetFxToolTips(TEDialog& dialog);

// What the preview says while it has no pattern, on itself and as its tip.
QString PreviewHintText();
// The preview's tip with a pattern: the file's name and the picture's size.
QString PreviewPatternToolTip(const std::string& path, int32_t width, int32_t height);
