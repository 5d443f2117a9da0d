#pragma once

#include <cstdint>

// How the alpha fuzz target reads its input: the first byte picks the line
// width from this table (modulo its size), the second is the line count for
// the decoder, and the encoded field follows. The seed writer uses the same
// table so its seeds decode. The widths are the card's, widths that are no
// multiple of 4, and widths around a page.
inline constexpr int32_t kAlphaFuzzLineWidths[] = {0,   3,   4,    6,    64,   640,
                                                   721, 768, 1020, 1024, 1030, 2052};
