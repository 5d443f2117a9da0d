#pragma once

#include "controls/dialog_template.h"

// The program's own dialogs, laid out in dialog units.

// The effect dialog and its items.
inline constexpr int kFxDialogId = 2000;
inline constexpr int kIdImage = 2111;
inline constexpr int kIdExport = 2112;
inline constexpr int kIdPreview = 2113;
inline constexpr int kIdWidth = 2114;
inline constexpr int kIdDuration = 2115;
inline constexpr int kIdAlphaSlider = 2116;
inline constexpr int kIdSliderFrame = 2117;
inline constexpr int kIdAlpha = 2118;
inline constexpr int kIdPlay = 2119;
inline constexpr int kIdAbout = 2131;
inline constexpr int kIdExit = 2;

extern const DialogTemplate kFxDialogTemplate;

// The About box.
inline constexpr int kAboutDialogId = 2100;
extern const DialogTemplate kAboutDialogTemplate;
