#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the file dialogs remember about one kind of file for the life of the
// process: the filter list, the default extension, the last chosen file, the
// filter it was chosen with and its folder, so each dialog opens where the
// user last was and shows the previous choice. Nothing is kept between runs.
//
// Paths use "/" here, the only folder separator: ":" and "\" may be part of
// a file name. A drive prefix (a letter and ":" at the very start) is still
// understood.

// The dialog options every file dialog gets.
inline constexpr uint32_t kOfnShareAware = 0x4000;
inline constexpr uint32_t kOfnPathMustExist = 0x0800;
inline constexpr uint32_t kOfnHideReadOnly = 0x0004;
inline constexpr uint32_t kOfnOverwritePrompt = 0x0002;
inline constexpr uint32_t kFileDialogFlags =
    kOfnShareAware | kOfnPathMustExist | kOfnHideReadOnly | kOfnOverwritePrompt;  // 0x4806

struct FileData {
  FileData(std::string filterList, std::string defaultExtension)
      : filter(std::move(filterList)), defExt(std::move(defaultExtension)) {}

  uint32_t flags = kFileDialogFlags;
  // "Description|pattern|Description|pattern": pairs separated by "|".
  std::string filter;
  std::string defExt;       // without the "."
  std::string fileName;     // the last chosen full path; empty at first
  int32_t filterIndex = 0;  // the filter it was chosen with, from 1; 0: the first
  std::string initialDir;   // the folder of the last choice; empty at first
};

// One description/pattern pair of a filter list.
struct FilterPair {
  std::string description;
  std::string pattern;  // may hold several patterns separated by ";"
};

// The pair of filter number index (from 1; 0 counts as 1). False when the
// list has no such pair.
bool FilterAt(std::string_view filterList, int32_t index, FilterPair& pair);
// How many pairs the list holds.
int32_t FilterCount(std::string_view filterList);

// The folder of path: everything before its last "/", in its case. A file in
// the root keeps "/" as its folder; one on a drive's root, or after a drive
// prefix without any "/", keeps the drive ("C:/wipe.tga" and "C:wipe.tga"
// give "C:"); a bare name gives "".
std::string RememberDirectory(std::string_view path);

// path with the extension of the chosen filter appended when path holds no
// "." at all: the text of the filter's pattern from its first "." up to the
// first "*", "?" or ";" (".tga" for "*.tga", "." for "*.*"). A path with a
// "." anywhere (its folder included), one of 255 characters or more, or a
// filter that does not exist or has no "." in its pattern stays as it is.
std::string AppendFilterExtension(std::string_view path, std::string_view filterList,
                                  int32_t filterIndex);

// What a confirmed dialog leaves in the record: the chosen path (with the
// filter's extension appended as above), its folder and the filter number.
void ApplyChosenFile(FileData& data, std::string_view path, int32_t filterIndex);
