#include "cli/luma_map_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "avi/replacing_file.h"
#include "cli/pgm_writer.h"
#include "cli/png_writer.h"
#include "support/error_codes.h"
#include "wipe/targa_writer.h"

namespace {

struct FormatName {
  const char* name;
  const char* extension;
  LumaMapFormat format;
};

constexpr FormatName kFormats[] = {
    {"tga", ".tga", LumaMapFormat::kTarga},
    {"png", ".png", LumaMapFormat::kPng},
    {"pgm", ".pgm", LumaMapFormat::kPgm},
};

int32_t WriteFormat(std::FILE* file, LumaMapFormat format, const GreyImage& image) {
  switch (format) {
    case LumaMapFormat::kTarga:
      return WriteTargaGreyTo(file, image, 24);
    case LumaMapFormat::kPng:
      return WritePngTo(file, image);
    case LumaMapFormat::kPgm:
      return WritePgmTo(file, image);
  }
  return kErrBadParameter;
}

int32_t WriteFormat(std::FILE* file, LumaMapFormat format, const GreyImage16& image) {
  switch (format) {
    case LumaMapFormat::kTarga:
      break;
    case LumaMapFormat::kPng:
      return WritePngTo(file, image);
    case LumaMapFormat::kPgm:
      return WritePgmTo(file, image);
  }
  return kErrBadParameter;
}

template <typename Sample>
int32_t WriteReplacing(const std::string& path, LumaMapFormat format,
                       const BasicGreyImage<Sample>& image) {
  if (!LumaMapHoldsDepth(format, 8 * sizeof(Sample)))
    return kErrBadParameter;
  ReplacingFile file;
  int32_t code = file.Create(path);
  if (code != kOk)
    return code;
  code = WriteFormat(file.Stream(), format, image);
  // Left uncommitted, the file is abandoned as it goes.
  return code != kOk ? code : file.Commit();
}

}  // namespace

bool ParseLumaMapFormat(const std::string& text, LumaMapFormat& format) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const FormatName& f : kFormats) {
    if (lower == f.name) {
      format = f.format;
      return true;
    }
  }
  return false;
}

const char* LumaMapExtension(LumaMapFormat format) {
  for (const FormatName& f : kFormats) {
    if (f.format == format)
      return f.extension;
  }
  return "";
}

bool LumaMapHoldsDepth(LumaMapFormat format, int32_t depth) {
  return depth == 8 || (depth == 16 && format != LumaMapFormat::kTarga);
}

int32_t WriteLumaMap(const std::string& path, LumaMapFormat format, const GreyImage& image) {
  return WriteReplacing(path, format, image);
}

int32_t WriteLumaMap(const std::string& path, LumaMapFormat format, const GreyImage16& image) {
  return WriteReplacing(path, format, image);
}
