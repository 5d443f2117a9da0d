#include "app/fx_templates.h"

namespace {

constexpr DialogItem kFxItems[] = {
    {kIdPreview, ItemKind::Custom, "", 4, 20, 80, 60, kItemBorder},
    {kIdImage, ItemKind::PushButton, "&Image", 19, 4, 50, 14, 0},
    {kIdAbout, ItemKind::PushButton, "&About", 19, 83, 50, 14, 0},
    {kIdExit, ItemKind::PushButton, "E&xit", 19, 104, 50, 14, kItemDefault},
    {kNoItemId, ItemKind::GroupBox, "Alpha", 88, 0, 32, 118, 0},
    {kIdSliderFrame, ItemKind::Static, "", 90, 9, 28, 95, kItemBorder | kItemCentre},
    {kIdAlpha, ItemKind::Edit, "128", 90, 104, 28, 12, kItemBorder | kItemVScroll},
    {kNoItemId, ItemKind::Static, "&Width:", 125, 9, 50, 8, kItemCentre},
    {kIdWidth, ItemKind::Edit, "008", 135, 18, 30, 12, kItemBorder | kItemVScroll},
    {kNoItemId, ItemKind::Static, "&Duration:", 125, 36, 50, 8, kItemCentre},
    {kIdDuration, ItemKind::Custom, "", 125, 45, 50, 12, 0},
    {kIdPlay, ItemKind::PushButton, "&Play", 125, 69, 50, 14, 0},
    {kIdExport, ItemKind::PushButton, "&Export", 125, 104, 50, 14, 0},
};

constexpr DialogItem kAboutItems[] = {
    {kNoItemId, ItemKind::Static, "Orvane FX", 3, 8, 96, 8, kItemCentre},
    {kNoItemId, ItemKind::Static, "Version 1.0 (beta)", 3, 16, 96, 8, kItemCentre},
    {1, ItemKind::PushButton, "OK", 31, 68, 40, 13, kItemDefault},
};

}  // namespace

const DialogTemplate kFxDialogTemplate{kFxDialogId, "Orvane FX",  5,       6, 179,
                                       122,         kDialogChild, kFxItems};

const DialogTemplate kAboutDialogTemplate{kAboutDialogId, "About Orvane FX", 0, 0, 101, 87, 0,
                                          kAboutItems};
