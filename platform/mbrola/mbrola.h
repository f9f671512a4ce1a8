/*
 * The speech synthesizer library "mbrola.so": a formant synthesizer behind
 * the 18 MBROLA-style entry points that the engine loads at run time.
 *
 * The library is one global channel: a voice (the "database", a voice file
 * of formant targets per phone, see platform/mbrola/README.md), an input
 * stream of phone text and an output stream of 16-bit mono samples. Every
 * entry point locks the channel, so callers on several threads are safe,
 * although the stream is shared by all of them.
 *
 * Phone text: one phone per line, "SYMBOL DURATION [POINTS]":
 *   - SYMBOL is compared byte-wise with the voice's symbols ("_" is always
 *     silence and produces all-zero samples);
 *   - DURATION is in milliseconds, a whole or decimal number (a '.' before
 *     the decimals, whatever the locale);
 *   - POINTS are pitch points "(percent,F0)" (or bare pairs "percent F0"):
 *     the position in percent of the phone's duration and F0 in Hz. The
 *     pitch contour runs linearly between all points, across phones; a
 *     phone without points continues it, the first value holds before the
 *     first point and the last value after the last one;
 *   - a line whose first non-blank character is ';' is a comment, a blank
 *     line is ignored, a line "#" ends the stream like flush_MBR.
 * Lines end with "\n"; one CR before it is dropped. A line may arrive in
 * several writes.
 *
 * Timing: a phone is synthesised once the next phone is known (the
 * transition between them needs both), so samples lag one phone behind the
 * text; when no later pitch point is known yet, up to 8 phones more are
 * awaited for the contour. flush_MBR ends the input: after it, read_MBR
 * gives everything written. The sample count of a stream is its summed
 * duration times the rate, rounded cumulatively (each phone within one
 * sample of its exact length, the whole within half a sample).
 */
#ifndef TM_PLATFORM_MBROLA_MBROLA_H
#define TM_PLATFORM_MBROLA_MBROLA_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TM_MBROLA_BUILD)
#define TM_MBROLA_API __attribute__((visibility("default")))
#else
#define TM_MBROLA_API
#endif

/* Error codes of lastError_MBR (0: no error pending). */
#define MBR_ERR_NONE 0
#define MBR_ERR_DATABASE_NOT_FOUND (-1) /* "database not found" */
#define MBR_ERR_BAD_DATABASE (-2)       /* "bad database format" */
#define MBR_ERR_UNKNOWN_PHONE (-3)      /* "unknown phone" */
#define MBR_ERR_BAD_PHONE_LINE (-4)     /* "bad phone line" */
#define MBR_ERR_QUEUE_FULL (-5)         /* "queue full" */
#define MBR_ERR_NO_DATABASE (-6)        /* "no database loaded" */
#define MBR_ERR_BAD_ARGUMENT (-7)       /* "bad argument" */

/* Sample types of readtype_MBR. */
#define MBR_LIN16 0 /* signed 16-bit, native byte order (as read_MBR) */
#define MBR_LIN8 1  /* unsigned 8-bit, 128 is zero */
#define MBR_ULAW 2  /* G.711 mu-law, one byte per sample */
#define MBR_ALAW 3  /* G.711 A-law, one byte per sample */

/* Loads the voice file dbaseName (the path as given) and binds it to the
 * channel; the stream is cleared. May be called again at any time without
 * close_MBR; a file loaded before is taken from a cache unless it changed on
 * disk. The no-error mode, the volume and a rate set by setFreq_MBR are
 * kept. Returns 0, or a negative code (MBR_ERR_DATABASE_NOT_FOUND,
 * MBR_ERR_BAD_DATABASE, MBR_ERR_BAD_ARGUMENT) with the error pending and no
 * voice bound. A successful init clears a pending error. */
TM_MBROLA_API int init_MBR(char* dbaseName);

/* As init_MBR, then changes the phone set: rename holds blank-separated
 * pairs "old new" (phone old is called new from now on), clone pairs
 * "old new" (new is added as a copy of old). Either may be null or empty.
 * An old symbol the voice lacks, or an odd count of words, fails with
 * MBR_ERR_BAD_ARGUMENT and no voice bound. */
TM_MBROLA_API int init_rename_MBR(char* dbaseName, char* rename, char* clone);

/* Appends phone text (any part of a line, or several lines). Returns the
 * count of bytes taken (at least 1, also for an empty text). Returns 0 and
 * sets MBR_ERR_QUEUE_FULL when 64 phones wait and samples can be read: the
 * caller reads and offers the text again. Text is never refused while no
 * sample can be read. Without a voice the text is taken and dropped
 * (MBR_ERR_NO_DATABASE). Faulty lines are dropped with an error pending:
 * MBR_ERR_BAD_PHONE_LINE, or MBR_ERR_UNKNOWN_PHONE for a symbol the voice
 * lacks unless the no-error mode is on (then the phone is silence). A null
 * text gives MBR_ERR_BAD_ARGUMENT and -7. An accepted write clears a pending
 * MBR_ERR_QUEUE_FULL. */
TM_MBROLA_API int write_MBR(char* buffer);

/* Ends the input: an unfinished last line counts as a line, and the last
 * phone is synthesised as the end of the stream (followed by silence). Text
 * written after it starts a new part of the same stream. Returns 1, or
 * MBR_ERR_NO_DATABASE without a voice. */
TM_MBROLA_API int flush_MBR(void);

/* Copies up to nb_wanted ready samples (16-bit, mono) to buffer and returns
 * their count; 0 when none is ready. A null buffer or a negative count gives
 * MBR_ERR_BAD_ARGUMENT and -7. */
TM_MBROLA_API int read_MBR(short* buffer, int nb_wanted);

/* As read_MBR in the sample type type (MBR_LIN16 .. MBR_ALAW): LIN16 fills
 * shorts, the others one byte per sample. An unknown type gives
 * MBR_ERR_BAD_ARGUMENT and -7. */
TM_MBROLA_API int readtype_MBR(void* buffer, int nb_wanted, int type);

/* Releases the voice and the stream; the no-error mode, the volume and the
 * rate return to their defaults. init_MBR binds a voice again. */
TM_MBROLA_API void close_MBR(void);

/* Clears the stream (queued text, phones and samples) and a pending error;
 * the voice and the settings stay. */
TM_MBROLA_API void reset_MBR(void);

/* The pending error code (0 when none). Reading it does not clear it. */
TM_MBROLA_API int lastError_MBR(void);

/* Copies the pending error's English text, NUL-terminated and cut to
 * length - 1 characters, to buffer; "" when no error is pending. Returns the
 * count of characters copied; -7 for a null buffer or a length below 1. */
TM_MBROLA_API int lastErrorStr_MBR(char* buffer, int length);

/* No-error mode (0 off, the default; any other value on): an unknown phone
 * symbol is then synthesised as silence and is not an error. */
TM_MBROLA_API void setNoError_MBR(int no_error);
TM_MBROLA_API int getNoError_MBR(void);

/* The output rate in Hz: the voice's rate (22050 for the shipped voice)
 * until setFreq_MBR sets another one, from 8000 to 48000 (other values are
 * refused with MBR_ERR_BAD_ARGUMENT). The synthesizer really runs at the
 * rate set: a new rate applies from the next phone that starts, and
 * durations and pitch keep their values in milliseconds and Hz. Without a
 * voice and without a rate set, getFreq_MBR gives 22050. */
TM_MBROLA_API void setFreq_MBR(int freq);
TM_MBROLA_API int getFreq_MBR(void);

/* Output volume factor (1.0 the default, 0 to 8 accepted; other values are
 * refused with MBR_ERR_BAD_ARGUMENT). It applies from the next sample
 * synthesised. At 1.0 no sample comes near full scale; above it a soft
 * limiter keeps every sample within +-32000. */
TM_MBROLA_API void setVolumeRatio_MBR(float ratio);
TM_MBROLA_API float getVolumeRatio_MBR(void);

/* The library's version text ("tm-formant 1.0"), NUL-terminated, cut to
 * length - 1; returns the count of characters copied (-7 for a null buffer
 * or a length below 1). */
TM_MBROLA_API int getVersion_MBR(char* buffer, int length);

/* Facts about the bound voice, one per index, NUL-terminated and cut to
 * length - 1: 0 its name, 1 its format and version, 2 its rate, 3 the file
 * it came from, 4 its phone symbols separated by blanks. Returns the count
 * of characters copied, 0 for an index without a fact, MBR_ERR_NO_DATABASE
 * without a voice, -7 for a null buffer or a length below 1. */
TM_MBROLA_API int getDatabaseInfo_MBR(char* buffer, int length, int index);

#ifdef __cplusplus
}
#endif

#endif /* TM_PLATFORM_MBROLA_MBROLA_H */
