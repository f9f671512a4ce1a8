/*
 * The MBROLA player library "mbrplay.so": it synthesises MBROLA phone text
 * (the format of platform/mbrola/mbrola.h) with a formant synthesizer of
 * its own and plays it on the sound card, or writes it to a WAVE file.
 *
 * One play at a time, on the library's play thread. MBR_Play copies the
 * text (and the file name) before it returns, waits for the previous play
 * to end, and starts the new one; it returns once the play's output is open
 * (or could not be opened) and, without MBR_PLAY_WAIT, while the play goes
 * on. Callers of several threads play one after the other. MBR_Stop ends
 * the play under way (a stop while nothing plays stops nothing later),
 * MBR_WaitForEnd waits for its end. Every entry point may be called from
 * any thread.
 *
 * Errors: a failing call, or a play that fails on the play thread, leaves
 * an error pending (a negative code and an English text) until the next
 * MBR_SetDatabase or MBR_Play.
 */
#ifndef TM_PLATFORM_MBRPLAY_MBRPLAY_H
#define TM_PLATFORM_MBRPLAY_MBRPLAY_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TM_MBRPLAY_BUILD)
#define TM_MBRPLAY_API __attribute__((visibility("default")))
#else
#define TM_MBRPLAY_API
#endif

/* Play flags. Without MBR_PLAY_FILE or MBR_PLAY_DISCARD the sound goes to
 * the default output device (or, when it is busy, the first device that
 * opens). Other bits are accepted and change nothing. */
#define MBR_PLAY_WAIT 0x40       /* return when the play has ended */
#define MBR_PLAY_FILE 0x800      /* write a WAVE file (44-byte RIFF header, PCM, mono, 16 bits) */
#define MBR_PLAY_DISCARD 0x10000 /* synthesise and drop the samples */

/* Error codes (0: none pending). */
#define MBRP_ERR_NONE 0
#define MBRP_ERR_BAD_ARGUMENT (-1) /* a null text, or a volume outside 0 to 8 */
#define MBRP_ERR_DATABASE (-2)     /* the database cannot be loaded */
#define MBRP_ERR_NO_FILE (-3)      /* MBR_PLAY_FILE without a file name */
#define MBRP_ERR_FILE (-4)         /* the WAVE file cannot be written */
#define MBRP_ERR_DEVICE (-5)       /* no output device opens */

/* Called on the play thread when a play has ended: (message base, 0, 0). */
typedef int (*MBR_Callback)(uint32_t message, uint32_t wparam, int32_t lparam);

/* The voice file for the following plays (read when a play starts). 0, or
 * MBRP_ERR_DATABASE when the file cannot be read. */
TM_MBRPLAY_API int MBR_SetDatabase(const char* path);

/* The message base handed to the callback; 0. */
TM_MBRPLAY_API int MBR_SetCallbackMsgBase(int base);

/* Plays text with flags; file names the WAVE file of MBR_PLAY_FILE.
 * 0 once the play has started (ended with MBR_PLAY_WAIT), or
 * MBRP_ERR_BAD_ARGUMENT for a null text. Failures of the play itself are
 * left pending. */
TM_MBRPLAY_API int MBR_Play(const char* text, uint32_t flags, const char* file,
                            MBR_Callback callback);

/* Returns when no play is under way; 0. */
TM_MBRPLAY_API int MBR_WaitForEnd(void);

/* Ends the play under way (the sound stops, a file is not written); 0. */
TM_MBRPLAY_API int MBR_Stop(void);

/* The output volume factor, 0 to 8 (1 the default), from the next samples
 * on, also during a play. 0, or MBRP_ERR_BAD_ARGUMENT. */
TM_MBRPLAY_API int MBR_SetVolumeRatio(float ratio);

/* The pending error code; with a buffer, its text (cut to size - 1
 * characters, "" when none is pending). */
TM_MBRPLAY_API int MBR_LastError(char* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif /* TM_PLATFORM_MBRPLAY_MBRPLAY_H */
