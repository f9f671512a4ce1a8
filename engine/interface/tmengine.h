/*
 * The programming interface of the Tamrin speech engine: flat C functions
 * over an engine handle. Usable from C and C++.
 *
 * Calling order: tmengine__LoadSharedResources once per process;
 * tmengine__New; the voice-font list and parameters;
 * tmengine__SelectVoiceFont; any requests (speak, stop, pause, resume,
 * references, speech to a buffer or a file); tmengine__Delete;
 * tmengine__ReleaseSharedResources. tmengine__GetLastError after any
 * failure.
 *
 * Results: every function returns an int: 0 success, a negative code an
 * error, a positive code a warning (the codes are listed below).
 *
 * Last error: the process keeps one last-error text. Every function except
 * tmengine__GetLastError first empties it and, when it fails, sets it to the
 * function's fixed sentence (named with each function below); it is never
 * appended to. The text is guarded, so calls from several threads do not
 * corrupt it, but it is one for the whole process.
 *
 * Text: texts (Text) and parameter values (ParameterValue) are UTF-8; the
 * engine works in the Greek code page Windows-1253, and a character that it
 * lacks becomes a blank. Voice-font keys, parameter keys and file names pass
 * unchanged, byte for byte.
 *
 * Blocks: every block of characters that the interface hands out (sample
 * buffers, the voice-font list, parameter values, the last-error text)
 * belongs to the caller, who releases it with tmengine__FreeBuffer. An
 * out-pointer through which a block is handed out must hold NULL or such a
 * block: the function releases what it holds before it stores a new block.
 *
 * Handles: a handle is valid from a successful tmengine__New until
 * tmengine__Delete sets it to NULL. A NULL handle gives -1600 with
 * "Null Tamrin handler as argument"; a NULL text, key, file name or
 * out-pointer gives -2010 with "Null <ParameterName> have been passed as
 * argument." (for example "Null Text have been passed as argument.").
 *
 * Sound: the engines of one process share the sound output (one player and
 * one stop request for the process): selecting a voice font, stopping or
 * deleting an engine stops what another engine plays. When no sound device
 * opens, each engine shows one error report saying so. The engine leaves
 * the process's signal handling (SIGINT, SIGTERM) alone.
 *
 * Process end: a program may end (exit, or a return from main) while engines
 * live, also while they speak or are paused: on the way out their speech is
 * stopped, they are released and the sound devices closed, and the process
 * ends with its own status. tmengine__Delete is still the way to release an
 * engine before that.
 */
#ifndef TMENGINE_H
#define TMENGINE_H

#if defined(__GNUC__)
#define TMENGINE_API __attribute__((visibility("default")))
#else
#define TMENGINE_API
#endif

/* Result codes. */
#define TMENGINE_OK 0
/* Warnings. */
#define TMENGINE_ALREADY_LOADED 1020      /* shared resources loaded before */
#define TMENGINE_ALREADY_INITIALISED 1025 /* engine initialised before */
#define TMENGINE_NOTHING_TO_PLAY 1050     /* resume: nothing held to replay */
/* Shared resources. */
#define TMENGINE_MARKER_FAILED (-1020)        /* marker "_l1" cannot be created */
#define TMENGINE_CONFIGURATION_FAILED (-1022) /* "config.txt" cannot be read */
#define TMENGINE_AC_FAILED (-1030)            /* letter-conversion rules */
#define TMENGINE_TREELEXICON_FAILED (-1035)   /* tree lexicons */
#define TMENGINE_PHONEPOOL_FAILED (-1040)     /* phone table */
#define TMENGINE_3STATES_FAILED (-1045)       /* tri-state duration rules */
#define TMENGINE_V58_FAILED (-1050)           /* V58 prosodic templates */
#define TMENGINE_USERLEXICON_FAILED (-1055)   /* user lexicons */
/* Engine. */
#define TMENGINE_FONT_NOT_FOUND (-1100)   /* no voice font has the key */
#define TMENGINE_NO_FONT_SELECTED (-1101) /* no voice font selected, or no engine */
#define TMENGINE_NO_FONTS (-1102)         /* no voice fonts */
#define TMENGINE_SETUP_FAILED (-1110)     /* a module of the font failed to set up */
#define TMENGINE_PITCH_TOO_HIGH (-1200)
#define TMENGINE_PITCH_TOO_LOW (-1201)
#define TMENGINE_SPEED_TOO_HIGH (-1204)
#define TMENGINE_SPEED_TOO_LOW (-1205)
#define TMENGINE_VOLUME_TOO_HIGH (-1208)
#define TMENGINE_VOLUME_TOO_LOW (-1209)
#define TMENGINE_NO_PLAYER_OUTPUT (-2005) /* volume without the MBROLA player output */
#define TMENGINE_THREAD_FAILED (-2020)    /* the speech thread cannot start */
/* Interface. */
#define TMENGINE_NULL_HANDLE (-1600)
#define TMENGINE_SHORT_WRITE (-2000)      /* the output file was not fully written */
#define TMENGINE_FILE_NOT_CREATED (-2001) /* the output file cannot be created */
#define TMENGINE_NULL_ARGUMENT (-2010)

#ifdef __cplusplus
extern "C" {
#endif

/* The engine handle (a class of the engine, seen from C as a struct). */
#ifdef __cplusplus
class Tamrin;
#else
typedef struct Tamrin Tamrin;
#endif

/*
 * Loads the configuration "config.txt" and the shared resources of the
 * installation, once per process: 0; 1020 for every later call, also when
 * the first load failed (the resources load only once per process); or a
 * negative code of the list above.
 * Failure: "Error loading shared resources. Code = " and the code.
 */
TMENGINE_API int tmengine__LoadSharedResources(void);

/*
 * Releases the shared resources and removes the marker "_l1"; 0. They
 * cannot be loaded again in the same process. While an engine lives (also
 * one that is speaking) the release waits: the call answers 0 at once, and
 * the resources go when the last engine is deleted.
 * Failure: "Error releasing shared resources of Tamrin."
 */
TMENGINE_API int tmengine__ReleaseSharedResources(void);

/*
 * Creates an engine, initialises it and selects the configuration's
 * "Default.VoiceFont". *handle := the engine on success, NULL on failure (the
 * failed engine is released). 0, or the engine's negative code: -1100 when
 * the default font is not found, and so while the shared resources are not
 * loaded, before tmengine__LoadSharedResources and after
 * tmengine__ReleaseSharedResources has released them (a release that waits
 * for a living engine still lets New make engines).
 * Failure: "Error initializing Tamrin object."
 */
TMENGINE_API int tmengine__New(Tamrin** handle);

/*
 * Stops a run that is under way (which stops the runs of every engine, see
 * tmengine__Stop), waits for it, releases the engine and sets *handle to
 * NULL. 0 also when *handle is NULL already.
 * Failure: "Error finalizing the object of Tamrin."
 */
TMENGINE_API int tmengine__Delete(Tamrin** handle);

/*
 * Speaks Text (UTF-8). Mode 1: on the calling thread, returning when the run
 * has ended; any other mode: on the engine's speech thread, returning at
 * once (after the previous run has ended). A request that waits for the
 * previous run while tmengine__Stop is called is dropped with that run.
 * 0 whatever the run did; -1101
 * without a selected voice font; -2020 when the speech thread cannot start.
 * Failure: "Error in soundboard version of TextToSpeech conversion."
 */
TMENGINE_API int tmengine__TextToSpeech(Tamrin* handle, const char* Text, int Mode);

/*
 * Synthesises Text (UTF-8) into a new block *Buffer of *BufferSize bytes:
 * 16-bit mono samples, preceded by the 44-byte RIFF/WAVE header when
 * WithHeader is not 0; a stop cuts it where the run stood (a request dropped
 * while it waited for an earlier run gives no samples). 0, or -1101.
 * Failure: "Error in buffer version of TextToSpeech conversion."
 */
TMENGINE_API int tmengine__TextToBuffer(Tamrin* handle, const char* Text, int WithHeader,
                                        char** Buffer, long* BufferSize);

/*
 * Releases the block that *Buffer holds and sets *Buffer to NULL. A NULL
 * Buffer, or a Buffer holding NULL, is accepted. Always 0; empties the
 * last-error text like every function but tmengine__GetLastError (read the
 * text before releasing a block).
 */
TMENGINE_API int tmengine__FreeBuffer(char** Buffer);

/*
 * Synthesises Text (UTF-8) into the WAVE file FileName; the speech goes to
 * the file as it is made, so a long text needs no more memory than a short
 * one. The file is opened before the synthesis starts, and its name is
 * checked then: an empty name, a missing folder or a name longer than the
 * folder takes costs no synthesis. FileName changes only when the speech is
 * complete: a request that fails leaves an earlier file as it was and no
 * partial file (nor does a writer that is killed, where the file system
 * has unnamed files). A new file, or one of the
 * caller's with a single name, takes the target's place by a rename; any
 * other (a file with more names, another user's file, one with extended
 * attributes, one in a folder that may not be written) is overwritten in
 * place with the complete speech, so that it keeps its names, owner,
 * permissions and attributes. A link is followed (a dangling one gets its
 * file created). A pipe or a device is written directly (a pipe gets it
 * all at the end).
 * 0; -2001 at once when the file cannot be created ("Error creating " +
 * FileName + " output file. " followed by the system's reason, for example
 * "No such file or directory.", "Permission denied." or "File name too
 * long."); -2000 when it cannot be written in full or
 * closed, when a stop cut the speech (or dropped the request while it waited
 * for an earlier run), when the speech would pass the 4 GiB that a WAVE file can describe
 * or when the synthesizer could not start with its voice file (each also
 * in the error report) ("Error writting full data in " + FileName + " output
 * file."); a failure of the synthesis gives its code with "Error in buffer
 * version of TextToSpeech conversion."
 */
TMENGINE_API int tmengine_TextToFile(Tamrin* handle, const char* Text, const char* FileName);

/*
 * Stops the speech under way, also while it is paused, and drops the
 * requests of this engine that wait for it. The stop request is
 * one for the whole process: it ends the runs of every engine, and so does
 * tmengine__Delete of an engine that is speaking. 0, or a negative code of
 * an output.
 * Failure: "Error in stopping text-to-speech."
 */
TMENGINE_API int tmengine__Stop(Tamrin* handle);

/*
 * Pauses the speech under way; the next request ends a paused run.
 * 0, or a negative code of an output.
 * Failure: "Error in pausing playback."
 */
TMENGINE_API int tmengine__SpeakPause(Tamrin* handle);

/*
 * Resumes paused speech; 0, 1050 when the sound-card output holds nothing to
 * replay, or a negative code of an output.
 * Failure: "Error in resuming playback."
 */
TMENGINE_API int tmengine__SpeakResume(Tamrin* handle);

/*
 * Selects the voice font of key VoiceFont and sets up its modules. 0; -1100
 * when no font has the key (no font is selected then); -1110 when a module
 * fails to set up (the font stays selected).
 * Failure: "Error setting the VoiceFont [" + VoiceFont + "]."
 */
TMENGINE_API int tmengine__SelectVoiceFont(Tamrin* handle, const char* VoiceFont);

/*
 * *ListVoiceFonts := a new block with every voice-font key followed by ";";
 * *NumberOfVoiceFonts := their number. The old block of *ListVoiceFonts is
 * released first (also when NumberOfVoiceFonts is NULL). 0, or -1102 when
 * there are no voice fonts (*ListVoiceFonts NULL, the count untouched).
 * Failure: "Error getting the characters list."
 */
TMENGINE_API int tmengine__ListVoiceFonts(Tamrin* handle, char** ListVoiceFonts,
                                          int* NumberOfVoiceFonts);

/*
 * *ParameterValue := a new block with the value (UTF-8) of ParameterKey in
 * the voice font VoiceFont, or in "default.vof" when that font lacks it; an
 * empty text when neither has it. 0, or -1100 when no font has the key
 * (*ParameterValue untouched).
 * Failure: "Error writting to file."
 */
TMENGINE_API int tmengine__GetVoiceFontParameter(Tamrin* handle, const char* VoiceFont,
                                                 const char* ParameterKey, char** ParameterValue);

/*
 * The pitch reference, 0.5 to 2.0 (limits included): 0, -1200 above, -1201
 * below (and for a value that is not a number).
 * Failure: "PitchReference out of limits."
 */
TMENGINE_API int tmengine__SetPitchReference(Tamrin* handle, double PitchReference);

/*
 * The speed reference, 0.5 to 2.0: 0, -1204 above, -1205 below.
 * Failure: "SpeedReference out of limits."
 */
TMENGINE_API int tmengine__SetSpeedReference(Tamrin* handle, double SpeedReference);

/*
 * The volume reference, 0.0 to 2.0: 0, -1208 above, -1209 below; it applies
 * only to the MBROLA player output, and gives -2005 while that output is
 * not in use.
 * Failure: "VolumeReference error."; for -2005 "VolumeReference error: the
 * selected voice font cannot change the volume."
 */
TMENGINE_API int tmengine__SetVolumeReference(Tamrin* handle, double VolumeReference);

/*
 * *LastError := a new block with a copy of the last-error text (empty after
 * a call that succeeded). The text itself is not emptied. 0, or -2010 for a
 * NULL LastError.
 */
TMENGINE_API int tmengine__GetLastError(char** LastError);

#ifdef __cplusplus
}
#endif

#endif /* TMENGINE_H */
