#pragma once

// AVI files for the source reader's seed corpus: written by the program's
// AVI writer (or, for the OpenDML layout it does not write, by its RIFF
// writer), then varied so that every way of finding the frames is seeded.
// Each returns the file's bytes, empty when writing failed; dir is where
// the file is written on the way.

#include <cstdint>
#include <filesystem>

#include "fuzz/seed_frames.h"

// frames frames of video with the given handler, and with audio a second
// stream whose chunks lie between them.
SeedBytes WrittenAvi(const std::filesystem::path& dir, int frames, uint32_t handler, bool audio);
// The writer's file without the "JUNK" that fills the room left for the
// headers: offsets in "idx1" count from "movi" and stay right, and the
// fuzzer's changes land on bytes that matter.
SeedBytes WithoutJunk(SeedBytes file);
// The same frames found by walking "movi": the index flag cleared.
SeedBytes WithoutIndexFlag(SeedBytes file);
// "idx1" offsets counted from the file's start instead of "movi".
SeedBytes WithAbsoluteIndex(SeedBytes file);
// Recordings whose writer stopped: without "idx1" and the last cut bytes of
// "movi" (sizes past the end), or with RIFF and "movi" sizes never patched
// from size (0 or 0xFFFFFFFF) and no "idx1".
SeedBytes CutShort(SeedBytes file, size_t cut);
SeedBytes Streamed(SeedBytes file, uint32_t size);
// A super index in the video stream's list, frames in a first "AVI " form
// and a second "AVIX" form, a standard index behind the frames of each.
SeedBytes OpenDmlAvi(const std::filesystem::path& dir);
