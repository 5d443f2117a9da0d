#pragma once

// Declares every export of the shared list with C linkage and default
// visibility, so a definition whose signature differs from the list does
// not compile, and the library shows exactly these names (it is built with
// hidden visibility otherwise).

#include "device/orvinter_exports.h"

#define ORVINTER_EXPORT extern "C" __attribute__((visibility("default")))

#define ORVINTER_DECLARE(ret, name, params) ORVINTER_EXPORT ret name params;
ORVINTER_ALL_EXPORTS(ORVINTER_DECLARE)
#undef ORVINTER_DECLARE
