// `orvane inspect`: reports what an AVI holds, frame by frame, and can write
// each decoded alpha field as a picture.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "avi/alpha_decoder.h"
#include "avi/avi_video_data.h"
#include "avi/device_frame.h"
#include "cli/command_status.h"
#include "cli/commands.h"
#include "cli/explanations.h"
#include "cli/pgm_writer.h"
#include "support/error_codes.h"
#include "support/report_error.h"

namespace {

constexpr const char* kCommand = "inspect";

struct InspectOptions {
  std::string file;
  std::string alphaDir;
};

struct FieldSize {
  int32_t width = 0;
  int32_t lines = 0;
};

const char* BlockName(uint32_t type) {
  switch (type) {
    case kVideoFieldBlock:
      return "video";
    case kMaskFieldBlock:
      return "mask";
    case kAlphaFieldBlock:
      return "alpha";
    default:
      return "other";
  }
}

const char* OriginName(FrameTableOrigin origin) {
  switch (origin) {
    case FrameTableOrigin::kRelativeIndex:
      return "idx1, offsets from movi";
    case FrameTableOrigin::kAbsoluteIndex:
      return "idx1, offsets from the file's start";
    case FrameTableOrigin::kMoviWalk:
      return "the chunks of movi";
    case FrameTableOrigin::kOpenDmlIndex:
      return "OpenDML indexes";
    case FrameTableOrigin::kNone:
      break;
  }
  return "none";
}

// The headers opening had read: all of them for a file that is ready, as
// far as it got for one it refused.
void PrintHeaders(const AVIVideoData& file) {
  std::printf("file     %s\n", file.GetFileName().c_str());
  if (!file.HasMainHeader())
    return;
  const MainHeader& m = file.GetMainHeader();
  std::printf(
      "main     microseconds/frame %u  max bytes/s %u  flags 0x%X  total frames %u  streams %u  "
      "buffer %u  size %ux%u\n",
      m.microSecPerFrame, m.maxBytesPerSec, m.flags, m.totalFrames, m.streams,
      m.suggestedBufferSize, m.width, m.height);
  if (!file.HasStreamHeader())
    return;
  const StreamHeader& s = file.GetStreamHeader();
  std::printf(
      "stream   %d: %s %s  flags 0x%X  scale %u  rate %u (%.3f frames/s)  start %u  length %u  "
      "buffer %u  quality %u  sample size %u\n",
      static_cast<int>(file.StreamNumber()), FourCCText(s.type).c_str(),
      FourCCText(s.handler).c_str(), s.flags, s.scale, s.rate, file.GetFrameRate(), s.start,
      s.length, s.suggestedBufferSize, s.quality, s.sampleSize);
  const int32_t size = file.GetFormatSize();
  if (size >= static_cast<int32_t>(kBitmapInfoSize)) {
    const BitmapInfoHeader f = file.GetBitmapInfo();
    std::printf("format   %d bytes  %dx%d  %u bits  compression %s\n", static_cast<int>(size),
                static_cast<int>(f.width), static_cast<int>(f.height), f.bitCount,
                FourCCText(f.compression).c_str());
  } else {
    std::printf("format   %d bytes\n", static_cast<int>(size));
  }
  if (file.GetStatus() != kOk)
    return;
  std::printf("index    %s%s\n", OriginName(file.Origin()),
              file.IsUnfinished()
                  ? " to the end of the file: the writer stopped before it finished the file"
                  : "");
  std::printf("frames   %d\n", static_cast<int>(file.GetFrameCount()));
}

// The field sizes an alpha block may have been encoded at: the main header's
// frame size (an export's alpha) and the format's (a recording's).
std::vector<FieldSize> FieldSizes(const AVIVideoData& file) {
  std::vector<FieldSize> sizes;
  const auto add = [&](uint32_t width, uint32_t height) {
    const FieldSize size{static_cast<int32_t>(width), static_cast<int32_t>(height / 2)};
    if (width == 0 || width > 0xFFFF || size.lines <= 0 || size.lines > 0xFFFF)
      return;
    if (std::none_of(sizes.begin(), sizes.end(), [&](const FieldSize& s) {
          return s.width == size.width && s.lines == size.lines;
        }))
      sizes.push_back(size);
  };
  add(file.GetMainHeader().width, file.GetMainHeader().height);
  // A format too short for the frame size gives a width or height of 0.
  const BitmapInfoHeader bitmap = file.GetBitmapInfo();
  add(static_cast<uint32_t>(bitmap.width),
      static_cast<uint32_t>(bitmap.height < 0 ? -static_cast<int64_t>(bitmap.height)
                                              : bitmap.height));
  return sizes;
}

class PictureWriter {
 public:
  PictureWriter(const AVIVideoData& file, std::string folder)
      : folder_(std::move(folder)), sizes_(FieldSizes(file)) {}

  // Decodes an alpha block or lays out a mask block and writes it as a
  // picture. 0, kErrBadFile for a block that is not what its type says, or
  // kErrCannotWrite.
  int32_t Write(int32_t frame, const FrameBlock& block) {
    const uint32_t type = block.header.Type();
    const int field = block.header.IsSecondField() ? 2 : 1;
    char name[64];
    if (type == kAlphaFieldBlock) {
      std::snprintf(name, sizeof name, "frame%04d-f%d.pgm", static_cast<int>(frame), field);
      return WriteAlpha(name, block.payload);
    }
    if (type == kMaskFieldBlock) {
      std::snprintf(name, sizeof name, "frame%04d-mask-f%d.pgm", static_cast<int>(frame), field);
      const size_t width = block.payload.size() / kMaskLines;
      if (width == 0 || width * kMaskLines != block.payload.size() || width > 0xFFFF)
        return kErrBadFile;
      return Save(name, static_cast<int32_t>(width), kMaskLines, block.payload);
    }
    return kOk;
  }

 private:
  static constexpr int32_t kMaskLines = 64;

  int32_t WriteAlpha(const char* name, std::span<const uint8_t> payload) {
    if (payload.size() < kAlphaLeadBytes)
      return kErrBadFile;
    const std::span<const uint8_t> encoded = payload.subspan(kAlphaLeadBytes);
    for (const FieldSize& size : sizes_) {
      const int32_t width = size.width & ~3;
      try {
        alpha_.resize(static_cast<size_t>(width) * static_cast<size_t>(size.lines));
      } catch (const std::bad_alloc&) {
        return kErrNoMemory;
      }
      if (DecodeAlphaField(encoded, size.width, size.lines, alpha_) == kOk)
        return Save(name, width, size.lines, alpha_);
    }
    return kErrBadFile;
  }

  int32_t Save(const char* name, int32_t width, int32_t lines, std::span<const uint8_t> pixels) {
    const std::string path = (std::filesystem::path(folder_) / name).string();
    const int32_t code = WritePgm(path, width, lines, pixels);
    if (code != kOk)
      ReportFileError(code, "Write Picture", path);
    return code == kOk ? kOk : kErrCannotWrite;
  }

  std::string folder_;
  std::vector<FieldSize> sizes_;
  std::vector<uint8_t> alpha_;
};

// How much one run reads: a file whose index lists the same bytes over and
// over must not make inspect read it many times over.
constexpr uint64_t kReadBudgetFactor = 4;

int RunInspect(const InspectOptions& options) {
  AVIVideoData file(options.file);
  const int32_t status = file.GetStatus();
  if (status != kOk) {
    // What could be read tells what the file is, even when it is not ours.
    PrintHeaders(file);
    ReportFileError(status, "Open AVI", options.file);
    if (status != kErrNoMemory)
      Explain(kCommand, WhyNotCardRecording(file));
    return kExitFailure;
  }
  PrintHeaders(file);

  std::unique_ptr<PictureWriter> pictures;
  if (!options.alphaDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.alphaDir, ec);
    if (ec) {
      ReportError(kErrCannotWrite, "Write Picture", options.alphaDir);
      Explain(kCommand, WhyNotWritable(options.alphaDir));
      return kExitFailure;
    }
    pictures = std::make_unique<PictureWriter>(file, options.alphaDir);
  }

  // Room for the largest frame of the file, so every stored frame can be
  // shown, not only those an export could take.
  size_t largest = kEmptyDeviceFrameSize;
  for (const FrameLocation& frame : file.Frames())
    largest = std::max<size_t>(largest, frame.length <= 0x7FFFFFFF ? frame.length : 0);
  std::vector<uint8_t> buffer;
  try {
    buffer.resize(largest);
  } catch (const std::bad_alloc&) {
    ReportErrorPlain(kErrNoMemory, "Open AVI");
    return kExitFailure;
  }

  std::error_code ec;
  const uint64_t fileSize = std::filesystem::file_size(options.file, ec);
  const uint64_t budget = kReadBudgetFactor * (ec ? 0 : fileSize) + largest;
  uint64_t read = 0;
  // Each chunk is read once, whatever number of frames the index gives it.
  std::map<std::pair<uint64_t, uint32_t>, int32_t> firstFrameOf;
  int32_t repeats = 0;
  int32_t undecoded = 0;
  for (int32_t i = 0; i < file.GetFrameCount(); ++i) {
    const FrameLocation& at = file.Frames()[static_cast<size_t>(i)];
    const auto [seen, isNew] = firstFrameOf.try_emplace({at.payloadOffset, at.length}, i);
    if (!isNew && static_cast<int32_t>(at.length) > 0) {
      ++repeats;
      std::printf("frame %04d  %d bytes  the same chunk as frame %04d\n", static_cast<int>(i),
                  static_cast<int>(at.length), static_cast<int>(seen->second));
      continue;
    }
    if (static_cast<int32_t>(at.length) > 0 && read + at.length > budget) {
      std::fprintf(stderr,
                   "inspect: stopped at frame %d: the index points at overlapping chunks, and "
                   "reading on would pass %llu times the file's size\n",
                   static_cast<int>(i), static_cast<unsigned long long>(kReadBudgetFactor));
      return kExitFailure;
    }
    int32_t size = 0;
    const int32_t code = file.ReadFrame(i, buffer, size);
    if (code != kOk) {
      std::fprintf(stderr, "inspect: frame %d cannot be read\n", static_cast<int>(i));
      ReportFileError(code, "Open AVI", options.file);
      return kExitFailure;
    }
    read += static_cast<uint64_t>(size);
    std::printf("frame %04d  %d bytes\n", static_cast<int>(i), static_cast<int>(size));
    FrameBlockWalker walker(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(size)));
    FrameBlock block;
    while (walker.Next(block)) {
      const uint32_t type = block.header.Type();
      std::printf("  type %2u %-5s  field %d  length %u\n", type, BlockName(type),
                  block.header.IsSecondField() ? 2 : 1, block.header.length);
      if (!pictures)
        continue;
      const int32_t written = pictures->Write(i, block);
      // A block that is not what its type says is shown and passed over; a
      // picture that could not be written has been reported by Save.
      if (written == kErrBadFile) {
        ++undecoded;
        std::fprintf(stderr, "inspect: frame %d: the %s block at offset %zu does not decode\n",
                     static_cast<int>(i), BlockName(type), block.offset);
      } else if (written != kOk) {
        if (written != kErrCannotWrite)
          ReportFileError(written, "Open AVI", options.file);
        return kExitFailure;
      }
    }
    if (walker.Status() != kOk) {
      std::fprintf(stderr, "inspect: frame %d: a block runs past the frame's end\n",
                   static_cast<int>(i));
      ReportFileError(walker.Status(), "Open AVI", options.file);
      return kExitFailure;
    }
  }
  if (repeats > 0) {
    std::fprintf(stderr,
                 "inspect: the index repeats itself: %d frames are chunks listed for an earlier "
                 "frame, read once\n",
                 static_cast<int>(repeats));
  }
  if (undecoded > 0) {
    std::fprintf(stderr, "inspect: %d blocks do not decode and have no picture\n",
                 static_cast<int>(undecoded));
    ReportFileError(kErrBadFile, "Open AVI", options.file);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

void AddInspectCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<InspectOptions>();
  CLI::App* sub =
      app.add_subcommand("inspect", "Show the headers and the frame blocks of a card AVI file");
  sub->add_option("file", options->file, "AVI file to inspect")->required();
  sub->add_option("--alpha-dir", options->alphaDir,
                  "Decode every alpha field and mask block into PGM pictures in this folder "
                  "(frame0000-f1.pgm, frame0000-mask-f1.pgm, ...)");
  sub->callback([options, &status] { status = RunInspect(*options); });
}
