#pragma once
// Undoes what the boot store left for the next boot, so that after Velkor is
// uninstalled the board starts at its default clocks again. The uninstaller
// runs it through the companion program, which reaches the display driver's
// key the same way the store does.
#include <stdint.h>

// Deletes, under HKEY_LOCAL_MACHINE:
// - the Run entry "NvInitialize", only when it names the file companionPath
//   names (the companion of the installation being removed), however either
//   is spelled (SameFile; a null or empty companionPath matches nothing);
// - "Krusty" under the display driver's key + "\NVTweak\Hardware";
// - "Gracie" and "George" under the older drivers' fixed "System" key, each
//   only while the settings key still holds the value of the same name, which
//   the store writes on every store that writes the driver's one.
// "Homer", the settings key and every other value stay. Keys are opened, never
// created. Always 1.
int RemoveBootRecords(const char* companionPath);

// The companion's pair alone: the Run entry "NvInitialize" when it names the
// file companionPath names (as above), and "Krusty", from a key that is
// opened only if it is there. The boot store's way to drop what it wrote.
void RemoveCompanionPair(const char* companionPath);

// 1 when two file paths name the same file as the 9x file system compares
// them: equal but for the case of the letters A-Z.
int SameFilePath(const char* a, const char* b);

// 1 when two paths name the same file however spelled (8.3 or long, "..",
// doubled or forward slashes, any case): both are compared in their canonical
// form (SystemInfo::GetCanonicalPath; for a file that is gone, its folder's
// with the name behind it), and as typed only when neither resolves.
int SameFile(const char* a, const char* b);
