#pragma once

// Signals that end `orvane` (Ctrl-C, kill, a closed terminal, ...) must not
// leave an output's hidden temporary file behind, and a file being replaced
// must keep its earlier bytes: the temporary file is removed, and the
// process then ends by the same signal, so its parent sees which one (a
// shell reports 128 + the signal's number).

// Installs the handler for every such signal that is not ignored: a signal
// ignored when the program starts (nohup, a background job) stays ignored.
void InstallEndingSignalHandlers();

// What the handler does; safe inside a signal handler, and never returns.
[[noreturn]] void EndBySignal(int signal);
