#pragma once

#include <string>

// The hidden temporary files that output files are written into before they
// replace their targets. A process ended by a signal must not leave them
// behind, and a signal handler can reach only what is prepared beforehand:
// each file's name is copied here while the file exists, and
// RemoveTemporaryFiles unlinks them with nothing but async-signal-safe calls.
//
// This is the one table of the process, because a signal handler has no other
// way to find it. It holds a few names; a file whose name does not fit (or
// finds no free slot) is written all the same, only without this safety net.

// Notes path; the result is the slot to pass to ForgetTemporaryFile, or -1
// when the name could not be noted.
int NoteTemporaryFile(const std::string& path);

// The file of slot has been renamed or removed. Accepts -1.
void ForgetTemporaryFile(int slot);

// Unlinks every noted file. Safe inside a signal handler.
void RemoveTemporaryFiles();
