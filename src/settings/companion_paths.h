#pragma once
// Where the companion's records go and what starts it: the display driver's
// key, the record key beneath it, and the log-on entry's command.
#include <stdint.h>

// The display driver's registry key, relative to HKEY_LOCAL_MACHINE. The
// driver is asked once a run; without an answer the fixed key serves.
const char* GetDisplayDriverKey();

// The companion's record key: the display driver's key + "\NVTweak\Hardware".
// 0 (and an empty path) when the two do not fit together: a cut-off path
// would name another key.
int GetCompanionRecordKey(char* path, uint32_t size);

// The log-on entry's text: the Arbolt.exe in the folder "Path" names, when it
// is there, in short form (so the entry has no blanks); "Path" may be quoted
// or end in a backslash. Otherwise the companion beside the running program,
// in short form, when it is there. 0 (and an empty text) when there is none:
// a start of a file that does not exist would lose the kept clocks unseen.
int GetCompanionCommand(char* command, uint32_t size);
