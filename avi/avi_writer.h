#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi/avi_format.h"
#include "avi/riff_writer.h"

// Writes a RIFF AVI file: up to sixteen streams, data chunks one by one, and
// at the end the headers in front of the data (in space reserved when the
// first chunk is written), the "idx1" index behind it and every size patched.
// The writer knows nothing of the chunks' content.
//
// Calling order: AviWriterCreate, AviWriterAddStream once per stream (all
// before the first chunk), AviWriterWriteChunk any number of times, then
// exactly one of AviWriterClose or AviWriterAbandon.
//
// The file is written beside the target under a temporary name; the target
// is replaced only by a successful AviWriterClose. How a caller ends:
//  - Finished, or stopped early on purpose (the user cancelled, the source
//    could not be read, the input ran out): AviWriterClose. The chunks
//    written so far become a complete, valid AVI file under the target name.
//  - A write failed (AviWriterWriteChunk returned kErrCannotWrite), or nothing
//    is to be kept: AviWriterAbandon. The partial file is removed; a file that
//    was at the target before keeps its bytes.
// AviWriterClose after a failed write also removes the partial file and
// returns kErrCannotWrite, so a caller that always closes never leaves a
// broken file. The one exception is a target written in place because its
// folder may not be written (see ReplacingFile): a failure leaves it
// incomplete.
// The only kErrCannotWrite that leaves the writer usable is a chunk refused
// because the file would pass the 2 GB limit of RIFF sizes: nothing of it was
// written, and AviWriterClose still keeps the chunks before it.

inline constexpr int32_t kAviMaxStreams = 16;
// Room reserved in front of the data: per stream its format plus this much,
// and never less than kAviMinMoviStart in all.
inline constexpr uint32_t kAviStreamReserve = 512;
inline constexpr uint32_t kAviMinMoviStart = 4096;
// The index is held in one block that grows by this many entries.
inline constexpr uint32_t kAviIndexGrowth = 256;

struct AviWriter {
  RiffWriter file;
  // File offset of the first data chunk; 0 until the first chunk is written.
  uint64_t moviStart = 0;
  // Per stream: the writer's own copy of the "strf" payload and the stream
  // header, kept up to date while chunks are written.
  std::array<std::vector<uint8_t>, kAviMaxStreams> formats;
  std::array<StreamHeader, kAviMaxStreams> streamHeaders{};
  // The "idx1" entries so far; the capacity grows by kAviIndexGrowth.
  std::vector<IndexEntry> index;
  // Its stream count counts the streams declared.
  MainHeader mainHeader;
};

// Creates the writer and its file, with the main header copied from the
// template (its stream count set to 0). 0 with writer set; kErrNoMemory when
// the state cannot be allocated; kErrNoFile when the file cannot be created;
// kErrCannotWrite when the index cannot be allocated. On failure writer is
// left empty.
int32_t AviWriterCreate(std::unique_ptr<AviWriter>& writer, const std::string& fileName,
                        const MainHeader& header);

// Declares the next stream; its number (the count of streams before it) goes
// to streamNumber when that is not null. The writer copies the header (with
// length 0) and the format bytes. "auds": sample size, rate and scale come
// from the wave format (block align, samples per second, 1). Any other type:
// sample size 0, and a rate or scale of 0 becomes 15 / 1. "vids": the main
// header's width and height are raised to the bitmap format's where larger.
// 0; kErrBadParameter for a seventeenth stream, a stream declared after the
// first chunk, a missing format, or one too short for the fields read from it
// (nothing is declared then); kErrNoMemory when the format copy cannot be
// allocated.
int32_t AviWriterAddStream(AviWriter& writer, int32_t* streamNumber, const StreamHeader& header,
                           const void* format, uint32_t formatSize);

// Appends one chunk of the stream: id from the stream number in hex and the
// two characters of chunkType ("xx" when the type's second character is a
// control character), a zero pad byte after an odd size, and an index entry
// with indexFlags. Unless indexFlags holds kIndexNoTime the stream's length
// grows by size / sample size (sample size 0: by 1). 0; kErrBadParameter for
// an unknown stream or missing data; kErrNoMemory when the index cannot grow;
// kErrCannotWrite when writing fails or the file would pass the RIFF size
// limit.
int32_t AviWriterWriteChunk(AviWriter& writer, int32_t stream, const void* data, uint32_t size,
                            uint16_t chunkType, uint32_t indexFlags);

// Completes the file (headers, "JUNK" up to the data, "movi", "idx1") and
// moves it over the target. 0; kErrCannotWrite when no chunk was written,
// the headers do not fit, an earlier write failed or any write here fails
// (the partial file is removed then); kErrBadParameter when writer is empty.
// The writer is gone afterwards in every case.
int32_t AviWriterClose(std::unique_ptr<AviWriter>& writer);

// Ends the writer without keeping anything: the partial file is removed and
// the target is as it was before AviWriterCreate. Accepts an empty writer.
void AviWriterAbandon(std::unique_ptr<AviWriter>& writer);
