#pragma once

#include <cstdint>
#include <span>

// A dialog described the way the dialogs were laid out by hand: a constant
// table of items, each with its id, kind, text and rectangle in dialog units.
// A horizontal dialog unit is a quarter of the dialog font's average
// character width, a vertical one an eighth of its character height, so a
// layout keeps its proportions whatever font the system substitutes.

// Items that are never looked up (labels, frames) carry this id.
inline constexpr int kNoItemId = -1;

enum class ItemKind {
  PushButton,  // a push button; clicking it sends the item's id as a command
  Edit,        // a single-line edit
  Static,      // a text or, with a border style and no text, a frame
  GroupBox,    // a captioned frame around other items
  Custom,      // the program's own control; the dialog's owner creates it
};

// Item styles, combined with |.
inline constexpr uint32_t kItemBorder = 0x0001;    // a one-pixel black frame
inline constexpr uint32_t kItemCentre = 0x0002;    // text centred horizontally
inline constexpr uint32_t kItemRight = 0x0004;     // text to the right
inline constexpr uint32_t kItemEtched = 0x0008;    // an etched frame (statics)
inline constexpr uint32_t kItemVScroll = 0x0010;   // spin arrows, drawn by the control
inline constexpr uint32_t kItemDefault = 0x0020;   // the default push button
inline constexpr uint32_t kItemDisabled = 0x0040;  // starts disabled
inline constexpr uint32_t kItemGroup = 0x0080;     // starts a group of items
inline constexpr uint32_t kItemHidden = 0x0100;    // starts hidden

struct DialogItem {
  int id;
  ItemKind kind;
  const char* text;  // may hold "&" before a mnemonic letter; never null
  int x, y, w, h;    // dialog units
  uint32_t style;
};

// Dialog styles.
inline constexpr uint32_t kDialogChild = 0x0001;  // lives inside a parent window at (x, y)

struct DialogTemplate {
  int id;
  const char* caption;
  int x, y, w, h;  // dialog units; w x h is the client area
  uint32_t style;
  std::span<const DialogItem> items;
};

// The pixel size of one average character of the dialog font: its average
// character width and its character height.
struct DialogBaseUnits {
  int charWidth;
  int charHeight;
};

struct PixelRect {
  int x, y, w, h;
  bool operator==(const PixelRect&) const = default;
};

// Horizontal and vertical dialog units to pixels, truncating, each
// coordinate on its own.
constexpr int DialogXToPixels(int x, const DialogBaseUnits& units) {
  return x * units.charWidth / 4;
}
constexpr int DialogYToPixels(int y, const DialogBaseUnits& units) {
  return y * units.charHeight / 8;
}
constexpr PixelRect DialogRectToPixels(int x, int y, int w, int h, const DialogBaseUnits& units) {
  return {DialogXToPixels(x, units), DialogYToPixels(y, units), DialogXToPixels(w, units),
          DialogYToPixels(h, units)};
}
