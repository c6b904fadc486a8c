// The project's own audio library: the calls, types and constants of the BASS interface
// that the production uses, so that its audio code reads like any BASS program. Output goes
// to the machine's default device; compressed streams are Ogg Vorbis.
//
// Positions and lengths count bytes of decoded 16-bit stereo at 44100 Hz (4 bytes a frame).
// Calls return 0/FALSE (or -1 for positions and counts) on failure and leave an error code
// for BASS_ErrorGetCode. All calls are made from one thread; playback runs on its own.
#pragma once

#include <cstdint>

// Integer types as the Windows headers declare them, so both may be included together.
#ifdef _WIN32
typedef unsigned long DWORD;
#else
typedef std::uint32_t DWORD;
#endif
typedef int BOOL;
typedef std::uint64_t QWORD;
typedef DWORD HSTREAM;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Error codes (BASS_ErrorGetCode).
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;        // out of memory
constexpr int BASS_ERROR_FILEOPEN = 2;   // the file could not be opened or read
constexpr int BASS_ERROR_DRIVER = 3;     // the output device could not be started
constexpr int BASS_ERROR_HANDLE = 5;     // not a handle of a live stream
constexpr int BASS_ERROR_FORMAT = 6;     // a sample format other than 44100 Hz stereo
constexpr int BASS_ERROR_POSITION = 7;   // a position outside the stream
constexpr int BASS_ERROR_INIT = 8;       // BASS_Init has not succeeded
constexpr int BASS_ERROR_ALREADY = 14;   // already initialised
constexpr int BASS_ERROR_ILLPARAM = 20;  // an argument is invalid
constexpr int BASS_ERROR_DEVICE = 23;    // no usable output device
constexpr int BASS_ERROR_NOTAVAIL = 37;  // a mode or filter that is not offered
constexpr int BASS_ERROR_FILEFORM = 41;  // the file is not of a format the library reads
constexpr int BASS_ERROR_UNKNOWN = -1;

// Flags.
constexpr DWORD BASS_UNICODE = 0x80000000;  // file names are wide (UTF-16) strings
constexpr DWORD BASS_POS_BYTE = 0;          // positions in bytes of decoded audio
constexpr DWORD BASS_DEVICE_ENABLED = 1;    // BASS_DEVICEINFO flags: the device can be used
constexpr DWORD BASS_DEVICE_DEFAULT = 2;    // ... it is the system's default output
constexpr DWORD BASS_ACTIVE_STOPPED = 0;    // BASS_ChannelIsActive: not playing (or ended)
constexpr DWORD BASS_ACTIVE_PLAYING = 1;    // ... playing, not yet all heard

struct BASS_DEVICEINFO {
  const char* name;    // UTF-8, valid until BASS_Free
  const char* driver;  // UTF-8, valid until BASS_Free
  DWORD flags;
};

// device -1 is the default output, 1, 2, ... the devices BASS_GetDeviceInfo lists; freq is
// the output rate and must be 44100. win and dsguid are accepted for compatibility and not
// used. Fails with BASS_ERROR_DEVICE when there is no such device (none at all: no sound).
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid);
BOOL BASS_Free();
int BASS_ErrorGetCode();
// Devices are numbered from 1; FALSE after the last one. Callable before BASS_Init; the
// texts stay valid until BASS_Free.
BOOL BASS_GetDeviceInfo(DWORD device, BASS_DEVICEINFO* info);

// An Ogg Vorbis file (mem FALSE; offset and length 0 for the whole file) or length bytes in
// memory at file (mem TRUE, copied). Fails with BASS_ERROR_FILEOPEN (missing, unreadable),
// BASS_ERROR_FILEFORM (not Ogg Vorbis), BASS_ERROR_FORMAT (not 44100 Hz stereo).
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD flags);

// Plays from the current position (restart TRUE: from the start); playback then advances
// on its own and stops at the end.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
// Moves the stream to pos (rounded down to a whole frame; at most the length).
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode);
// The position being heard now, not what has been decoded or queued: monotonic while
// playing, exactly the length once the stream has played to its end.
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
DWORD BASS_ChannelIsActive(DWORD handle);
