#pragma once

// liborvinter.so, the simulated Orvane card.
//
// It exports every name of device/orvinter_exports.h with C linkage and keeps
// the state a card keeps: its output standard and scales, the resources
// claimed, the format, the mixer settings, the still alpha and the video FIFO
// with a consumer that shows one frame per frame period.
//
// Streaming protocol
// ------------------
// The FIFO is a byte ring. The card keeps a read position (the oldest byte
// not yet shown) and a write position (where the next announced byte goes);
// bytes between them are in use.
//
// vdc_CheckFreeSize (bytes, guardKiB)
//   bytes: the size of the frame about to be written (both fields).
//   guardKiB: distance in KiB that must stay free in front of the read
//   position once the frame is in, because the card's DMA reads ahead of
//   the frame it shows; the program passes 40. Returns the write offset
//   (0 <= offset < ring size) when bytes + guardKiB * 1024 bytes are free
//   and a frame descriptor is available; -1 when there is no room now; -2
//   when no FIFO is allocated; -3 for a size or guard below 0 or a frame
//   larger than the ring; -4, a protocol error, when the streaming
//   resources are not held (below). Never waits, unless the card was made
//   slow (ORVINTER_SIM_FREE_SIZE_DELAY_US).
//
// vdc_AddData (frame, field, kind, bytes) announces data written at the
// write position, in ring order (a field may wrap past the ring's end):
//   kind 2, field data: `bytes` alpha bytes of field `field` (0 top, 1
//     bottom) of frame number `frame`; moves the write position on by bytes.
//     A frame's top field comes first, then its bottom field with the same
//     frame number. Each field must be width x height / 2 bytes of the
//     format set by vdc_SetFormat.
//   kind 4, end of frame: frame `frame` is complete and may be shown; field
//     and bytes are 0.
//   A frame is thus announced with three calls: (n, 0, 2, f), (n, 1, 2, f),
//   (n, 0, 4, 0). Frame numbers run on by one from the value given to
//   vdc_ResetCounter (1, value).
//   Anything else counts as a protocol error and returns 0: a field of the
//   wrong size, a bottom field without its top field, an end of frame
//   without both fields, an unexpected frame number, a field or kind other
//   than these, or data announced beyond the free space (not moved on). The
//   bytes of a broken frame are skipped, never shown. Accepted: returns 1.
//
// vdc_Run starts the consumer (or resumes it after vdc_Pause). Frame k is
// due k frame periods after vdc_Run (40 ms at 25 frames/s, 1001/30 ms at
// 29.97). In each period the card shows the oldest frame that was whole by
// the period's due time, frees its bytes, and counts an underrun when there
// was none: a frame announced after its period was due is not shown in it,
// however late the consumer thread itself got to run. A frame the consumer
// puts on show a field period (half a frame period) or more after its due
// time, because the thread ran late, counts as a late frame: the program
// was on time, the display of this machine was not. vdc_Pause keeps the
// picture and takes nothing. vdc_Stop ends the consumer, drops what is
// queued and goes back to showing the still alpha of vdc_put_alpha.
//
// Resources: numbers 0 to 31, each held by at most one claim. 2 is the
// board, 4 the mixer, 7 the alpha memory, 8 the frame interrupt, 9 the FIFO's
// DMA channel, which vdc_AllocVideoFifo needs. Queueing (vdc_CheckFreeSize,
// vdc_AddData) needs 2, 7 and 8 claimed by the program, 8 possibly held
// elsewhere, whose interrupt runs all the same; vdc_Run needs 9 and the
// FIFO as well.
// Without them the call is refused (-4, or 0) and counted as a protocol
// error. Giving back a number the program does not hold frees nothing and
// is counted as a stray release.
//
// vdc_put_alpha takes two fields of exactly the card's frame (the format of
// vdc_SetFormat, or the output scale before any format): any other size is
// refused as a protocol error.
//
// vdc_AllocVideoFifo (&size): rounds the size down to a multiple of 4096
// (at least 65536), caps it at the card's FIFO memory and writes the size
// given back.
//
// Settings and faults, read from the environment each time the library is
// loaded:
//   ORVINTER_SIM_STANDARD        ntsc (2, the default) or pal, or the number
//                                vdc_output_get_standart returns; 2 runs at
//                                29.97 frames/s and 640 x 480, anything else
//                                at 25 frames/s and 768 x 576
//   ORVINTER_SIM_FRAME_SIZE      WxH of the input and output scales
//   ORVINTER_SIM_INPUT_SIZE      WxH of the input scale alone
//   ORVINTER_SIM_ENABLED_WINDOW  vdc_input_get_enabled_window (default 1)
//   ORVINTER_SIM_VERSION         vdc_get_version (default 1072)
//   ORVINTER_SIM_STATUS          orvdll_status (default 1)
//   ORVINTER_SIM_UNAVAILABLE     resource numbers held elsewhere: "7,4"
//   ORVINTER_SIM_FIFO_FAIL       1: vdc_AllocVideoFifo fails
//   ORVINTER_SIM_FIFO_MAX        bytes of FIFO memory (default 16 MiB)
//   ORVINTER_SIM_STALL           1: the consumer runs but never takes a frame
//                                (nor counts an underrun)
//   ORVINTER_SIM_JITTER_US       each wake-up of the consumer late by up to
//                                this many microseconds, at random
//   ORVINTER_SIM_FREE_SIZE_DELAY_US  every vdc_CheckFreeSize takes this long
// A value that cannot be read is reported on stderr and the default kept.
//
// The orvsim_ exports below are for tests and tools; the program never binds
// them.

#include <stdint.h>

#define ORVSIM_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// Frames the card has shown from its FIFO since it was loaded.
ORVSIM_API int32_t orvsim_frames_shown(void);
// Frame periods after vdc_Run without a frame whole by their due time.
ORVSIM_API int32_t orvsim_underruns(void);
// Frames put on show a field period or more after their due time.
ORVSIM_API int32_t orvsim_late_frames(void);
// Calls that broke the protocol above: announcements, queueing or running
// without the resources, alpha of the wrong size.
ORVSIM_API int32_t orvsim_protocol_errors(void);
// Releases of a resource the program did not hold.
ORVSIM_API int32_t orvsim_stray_releases(void);
// vdc_AddData calls, accepted or not.
ORVSIM_API int32_t orvsim_announcements(void);
// vdc_CheckFreeSize calls, counted as they begin (so a slow one shows while
// it is still under way).
ORVSIM_API int32_t orvsim_free_size_queries(void);
// FNV-1a of the picture shown (top field then bottom field).
ORVSIM_API uint32_t orvsim_alpha_checksum(void);
// Copies the picture shown when bytes is its size (both fields). Returns the
// number of the FIFO frame shown, -1 when the still alpha is shown, -2 when
// nothing was copied.
ORVSIM_API int32_t orvsim_copy_alpha(uint8_t* destination, int32_t bytes);
// Claims tried on a resource number since load.
ORVSIM_API int32_t orvsim_register_calls(int32_t resource);
// The format last given to vdc_SetFormat; 0 when never set.
ORVSIM_API int32_t orvsim_format(int32_t* width, int32_t* height);
// Moves both positions of an empty FIFO to offset; 1 when done.
ORVSIM_API int32_t orvsim_set_fifo_origin(int32_t offset);
// Shows up to `frames` whole queued frames at once, as the consumer would,
// and returns how many it showed. For tests and benchmarks that cannot
// wait for real time.
ORVSIM_API int32_t orvsim_consume(int32_t frames);
// Changes the faults of the loaded card, as another program giving its
// resources back or the driver's memory recovering would: the resources held
// elsewhere (bit n for number n), whether vdc_AllocVideoFifo fails, and the
// card's FIFO memory (kept when below 65536). Takes effect at the next call.
ORVSIM_API void orvsim_set_faults(uint32_t unavailable, int32_t fifoFails, int32_t fifoMemory);
// 1: the card's frame clock stops, as ORVINTER_SIM_STALL; 0: it takes frames
// again from the next period.
ORVSIM_API void orvsim_set_stall(int32_t stalled);
// 1: the consumer thread is kept from running, as a loaded machine may keep
// it; 0: it runs again and goes through every period it missed.
ORVSIM_API void orvsim_hold_consumer(int32_t held);
// As ORVINTER_SIM_JITTER_US and ORVINTER_SIM_FREE_SIZE_DELAY_US, from the
// next wake-up or query on (0 to 1 000 000).
ORVSIM_API void orvsim_set_jitter(int32_t microseconds);
ORVSIM_API void orvsim_set_free_size_delay(int32_t microseconds);

#ifdef __cplusplus
}
#endif
