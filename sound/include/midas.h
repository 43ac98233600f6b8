/* midas.h — the MIDAS Sound System calls that halcyon makes, played by our
 * own module player (libopenmpt decoding, SDL2 audio output).
 *
 * All calls are made from the program's one thread; playback runs on SDL's
 * audio thread. Results follow the old library: non-zero is success. */
#ifndef MIDAS_H
#define MIDAS_H

#ifdef __cplusplus
extern "C" {
#endif

typedef int MIDASbool;            /* non-zero: success */
typedef unsigned int MIDASmodule; /* 32-bit module handle; 0 = no module */

/* Resets the library's state (closing it if open); call once before anything else. Never fails. */
MIDASbool MIDASstartup(void);
/* Opens the audio device (48 kHz stereo where allowed), paused. False before MIDASstartup and when no
 * device can be opened; true, doing nothing, when already open. */
MIDASbool MIDASinit(void);
/* Starts background playback. pollRate is accepted and ignored (playback runs on the audio thread).
 * False when MIDASinit has not succeeded. */
MIDASbool MIDASstartBackgroundPlay(unsigned int pollRate);
/* Loads a module file (XM, S3M, MOD and every other format the decoder reads). A relative name that
 * names no file from the current folder is looked up beside the program, where the installed music is.
 * 0 for a null or empty name, a missing or unreadable file, a file over 64 MiB, or a file that is not
 * a module; also 0 before MIDASinit has succeeded. */
MIDASmodule MIDASloadModule(const char* fileName);
/* Starts playing a loaded module from its beginning, in place of any other; it repeats when it ends and
 * is heard while background play runs. loopSong is accepted and ignored. False for an unknown handle. */
MIDASbool MIDASplayModule(MIDASmodule module, int loopSong);
/* Stops the module if it plays. False for an unknown or freed handle. */
MIDASbool MIDASstopModule(MIDASmodule module);
/* Stops and frees the module; its handle is not handed out again. False for an unknown or freed handle. */
MIDASbool MIDASfreeModule(MIDASmodule module);
/* Pauses the output. False when background play is not running. */
MIDASbool MIDASstopBackgroundPlay(void);
/* Closes the audio device and frees every module still loaded. False when the device is not open. */
MIDASbool MIDASclose(void);

#ifdef __cplusplus
}
#endif
#endif
