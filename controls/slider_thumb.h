#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>

// The slider's thumb picture (bitmap 32001): two 18 x 21 thumbs side by
// side, the left one for an enabled slider, the right one for a disabled
// one. It is kept as a table of standard colours and painted in the
// system's current 3-D colours when it is drawn.
inline constexpr int kSliderThumbBitmap = 32001;
inline constexpr int kThumbWidth = 18;
inline constexpr int kThumbHeight = 21;

// The pixel rows of one thumb, top first: K black, G grey, L light grey,
// W white, R red (the centre line), '.' yellow (the corners, which take the
// slider's background).
extern const char* const kSliderThumbRows[kThumbHeight];

// The 36 x 21 picture of resourceId in the colours of the palette's group:
// black as button text, grey as button shadow, light grey as button face,
// white as button highlight, red as itself and yellow as background. Only
// 32001 exists; any other id gives a null image.
QImage SliderThumbBitmap(int resourceId, const QPalette& palette, QPalette::ColorGroup group,
                         const QColor& background);
