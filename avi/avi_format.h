#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "support/little_endian.h"

// The AVI records shared by the writer and the reader, with their on-disk
// layout. Every value is little-endian on disk; the Load and Store helpers
// convert field by field, so the in-memory structs carry no packing rules.

// A four-character code as the 32-bit value whose little-endian bytes are the
// characters in order: FourCC("RIFF") is stored as 'R' 'I' 'F' 'F'.
constexpr uint32_t FourCC(const char (&text)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

// The two characters of a chunk type ("dc", "wb") as the 16-bit value with
// the first character in the low byte.
constexpr uint16_t ChunkType(const char (&text)[3]) {
  return static_cast<uint16_t>(static_cast<uint8_t>(text[0]) | static_cast<uint8_t>(text[1]) << 8);
}

// The four characters of a code, for messages and tests.
std::string FourCCText(uint32_t code);

// A chunk id made of a stream number as two upper-case hexadecimal digits
// (high digit first) and two more characters: StreamChunkId(0, 'd', 'c') is
// "00dc", StreamChunkId(26, 'w', 'b') is "1Awb". Only the low 8 bits of the
// stream number take part.
uint32_t StreamChunkId(uint32_t stream, uint8_t first, uint8_t second);

inline constexpr uint32_t kFourCCRiff = FourCC("RIFF");
inline constexpr uint32_t kFourCCList = FourCC("LIST");
inline constexpr uint32_t kFourCCAvi = FourCC("AVI ");
inline constexpr uint32_t kFourCCHdrl = FourCC("hdrl");
inline constexpr uint32_t kFourCCAvih = FourCC("avih");
inline constexpr uint32_t kFourCCStrl = FourCC("strl");
inline constexpr uint32_t kFourCCStrh = FourCC("strh");
inline constexpr uint32_t kFourCCStrf = FourCC("strf");
inline constexpr uint32_t kFourCCIndx = FourCC("indx");
inline constexpr uint32_t kFourCCJunk = FourCC("JUNK");
inline constexpr uint32_t kFourCCMovi = FourCC("movi");
inline constexpr uint32_t kFourCCIdx1 = FourCC("idx1");
inline constexpr uint32_t kFourCCVids = FourCC("vids");
inline constexpr uint32_t kFourCCAuds = FourCC("auds");
// The card's own video handlers: recordings carry either, exports "ORVT".
inline constexpr uint32_t kFourCCOrvd = FourCC("ORVD");
inline constexpr uint32_t kFourCCOrvt = FourCC("ORVT");

// Main header flags (dwFlags).
inline constexpr uint32_t kAviHasIndex = 0x10;
inline constexpr uint32_t kAviMustUseIndex = 0x20;
inline constexpr uint32_t kAviIsInterleaved = 0x100;
inline constexpr uint32_t kAviWasCaptureFile = 0x10000;
// Index entry flags.
inline constexpr uint32_t kIndexKeyFrame = 0x10;
// The chunk does not count toward its stream's length.
inline constexpr uint32_t kIndexNoTime = 0x100;

// The "avih" payload.
struct MainHeader {
  uint32_t microSecPerFrame = 0;     // dwMicroSecPerFrame
  uint32_t maxBytesPerSec = 0;       // dwMaxBytesPerSec
  uint32_t paddingGranularity = 0;   // dwPaddingGranularity
  uint32_t flags = 0;                // dwFlags
  uint32_t totalFrames = 0;          // dwTotalFrames
  uint32_t initialFrames = 0;        // dwInitialFrames
  uint32_t streams = 0;              // dwStreams
  uint32_t suggestedBufferSize = 0;  // dwSuggestedBufferSize
  uint32_t width = 0;                // dwWidth
  uint32_t height = 0;               // dwHeight
  uint32_t reserved[4] = {};         // dwReserved
};
inline constexpr size_t kMainHeaderSize = 56;
void StoreMainHeader(const MainHeader& header, uint8_t* out);
MainHeader LoadMainHeader(const uint8_t* in);

// The "strh" payload in its 64-byte form: the frame rectangle as four 32-bit
// values.
struct StreamHeader {
  uint32_t type = 0;                 // fccType
  uint32_t handler = 0;              // fccHandler
  uint32_t flags = 0;                // dwFlags
  uint16_t priority = 0;             // wPriority
  uint16_t language = 0;             // wLanguage
  uint32_t initialFrames = 0;        // dwInitialFrames
  uint32_t scale = 0;                // dwScale
  uint32_t rate = 0;                 // dwRate
  uint32_t start = 0;                // dwStart
  uint32_t length = 0;               // dwLength
  uint32_t suggestedBufferSize = 0;  // dwSuggestedBufferSize
  uint32_t quality = 0;              // dwQuality
  uint32_t sampleSize = 0;           // dwSampleSize
  int32_t frameLeft = 0;             // rcFrame.left
  int32_t frameTop = 0;              // rcFrame.top
  int32_t frameRight = 0;            // rcFrame.right
  int32_t frameBottom = 0;           // rcFrame.bottom
};
inline constexpr size_t kStreamHeaderSize = 64;
// The common short form ends after a rectangle of 16-bit values.
inline constexpr size_t kShortStreamHeaderSize = 56;
void StoreStreamHeader(const StreamHeader& header, uint8_t* out);
StreamHeader LoadStreamHeader(const uint8_t* in);

// One "idx1" element.
struct IndexEntry {
  uint32_t chunkId = 0;  // ckid
  uint32_t flags = 0;    // dwFlags
  uint32_t offset = 0;   // dwChunkOffset
  uint32_t length = 0;   // dwChunkLength
};
inline constexpr size_t kIndexEntrySize = 16;
void StoreIndexEntry(const IndexEntry& entry, uint8_t* out);
IndexEntry LoadIndexEntry(const uint8_t* in);

// Offsets into the audio stream format the writer reads.
inline constexpr size_t kWaveSamplesPerSecOffset = 4;  // nSamplesPerSec
inline constexpr size_t kWaveBlockAlignOffset = 12;    // nBlockAlign
inline constexpr size_t kWaveFormatMinSize = 14;

// The "strf" payload of a video stream. A file's may be longer (a palette or
// a codec's own data follow) or, from a careless writer, shorter.
struct BitmapInfoHeader {
  uint32_t size = 0;          // biSize
  int32_t width = 0;          // biWidth
  int32_t height = 0;         // biHeight: below 0 for a picture stored top row first
  uint16_t planes = 0;        // biPlanes
  uint16_t bitCount = 0;      // biBitCount
  uint32_t compression = 0;   // biCompression
  uint32_t sizeImage = 0;     // biSizeImage
  int32_t xPelsPerMeter = 0;  // biXPelsPerMeter
  int32_t yPelsPerMeter = 0;  // biYPelsPerMeter
  uint32_t clrUsed = 0;       // biClrUsed
  uint32_t clrImportant = 0;  // biClrImportant

  bool operator==(const BitmapInfoHeader&) const = default;
};
inline constexpr size_t kBitmapInfoSize = 40;
// Where biHeight ends: a format at least this long gives the frame size.
inline constexpr size_t kBitmapFrameSizeEnd = 12;
// A field that does not fit whole in the span is read as 0, and is not
// written: a short format gives what it has, and loading a longer one,
// changing a field and storing it back leaves every other byte as it was.
void StoreBitmapInfoHeader(const BitmapInfoHeader& header, std::span<uint8_t> out);
BitmapInfoHeader LoadBitmapInfoHeader(std::span<const uint8_t> in);
// The header of frames of width x height as this program writes it: one
// plane, the rest 0.
BitmapInfoHeader MakeBitmapInfoHeader(int32_t width, int32_t height, uint16_t bitCount,
                                      uint32_t compression);

// RIFF sizes are 32-bit, and the readers that matter treat them as signed:
// no chunk, list or index offset may pass this.
inline constexpr uint64_t kRiffMaxSize = 0x7FFFFFFF;
