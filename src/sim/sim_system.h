#pragma once
// The operating system's answers: version, platform id, system directory and
// the file versions of a small, fixed set of files. Queries are traced as
// VersionQuery (address 0: GetVersion, 1: GetPlatformId) and
// FileVersionQuery (value 1 when the file had a version).
#include <stdint.h>

#include "platform/system_info.h"
#include "sim/sim_trace.h"

const uint32_t kSimWindows98Version = 0xC0000A04u;  // GetVersion() of Windows 98

class SimSystem final : public SystemInfo {
public:
    static constexpr int kMaxFiles = 4;
    static constexpr int kMaxPath = 400;

    explicit SimSystem(SimTrace* trace);

    void SetVersion(uint32_t version) { version_ = version; }
    void SetPlatformId(uint32_t platformId) { platformId_ = platformId; }
    // Up to kMaxPath - 1 characters are kept; longer text is cut.
    void SetSystemDirectory(const char* directory);
    const char* SystemDirectory() const { return systemDirectory_; }

    // Gives a file (full path, any case) a fixed file version a.b.c.d;
    // 0 when the table is full.
    int SetFileVersion(const char* path, uint16_t a, uint16_t b, uint16_t c, uint16_t d);
    // The file now has no version information (or does not exist).
    void RemoveFile(const char* path);
    void RemoveAllFiles() { fileCount_ = 0; }

    // This program's file ("" by default: GetProgramPath fails).
    void SetProgramPath(const char* path);
    // An existing file or folder: any spelling that equals longPath or
    // shortPath without regard to case canonicalises to shortPath; 0 when
    // the table is full. Nothing else exists.
    int AddPath(const char* longPath, const char* shortPath);

    uint32_t GetVersion() override;
    uint32_t GetPlatformId() override;
    uint32_t GetSystemDirectory(char* buffer, uint32_t size) override;
    int GetFileVersion(const char* path, uint32_t* versionMS, uint32_t* versionLS) override;
    uint32_t GetProgramPath(char* buffer, uint32_t size) override;
    uint32_t GetCanonicalPath(const char* path, char* buffer, uint32_t size) override;

    int FileVersionQueries() const { return fileQueries_; }
    // The path of the last file version query ("" when there was none).
    const char* LastQueriedPath() const { return lastQueriedPath_; }

private:
    struct File {
        char path[kMaxPath];
        uint32_t versionMS;
        uint32_t versionLS;
    };

    int FindFile(const char* path) const;
    void Trace(SimEvent event, uint32_t address, uint32_t value);

    SimTrace* trace_;
    uint32_t version_ = kSimWindows98Version;
    uint32_t platformId_ = kPlatformWin32Windows;
    char systemDirectory_[kMaxPath];
    File files_[kMaxFiles];
    int fileCount_ = 0;
    char programPath_[kMaxPath];
    struct KnownPath {
        char longPath[kMaxPath];
        char shortPath[kMaxPath];
    };
    KnownPath paths_[kMaxFiles];
    int pathCount_ = 0;
    int fileQueries_ = 0;
    char lastQueriedPath_[kMaxPath];
};
