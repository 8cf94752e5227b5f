#include "sim/sim_system.h"

#include <string.h>

namespace {

// Copies at most size - 1 characters and always terminates.
void CopyText(char* destination, uint32_t size, const char* source)
{
    if (size == 0)
        return;
    uint32_t i = 0;
    if (source) {
        for (; i + 1 < size && source[i]; ++i)
            destination[i] = source[i];
    }
    destination[i] = '\0';
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SamePath(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    }
    return *a == *b;
}

}  // namespace

SimSystem::SimSystem(SimTrace* trace) : trace_(trace)
{
    CopyText(systemDirectory_, kMaxPath, "C:\\WINDOWS\\SYSTEM");
    lastQueriedPath_[0] = '\0';
    programPath_[0] = '\0';
}

void SimSystem::SetProgramPath(const char* path)
{
    CopyText(programPath_, kMaxPath, path);
}

int SimSystem::AddPath(const char* longPath, const char* shortPath)
{
    if (pathCount_ == kMaxFiles)
        return 0;
    CopyText(paths_[pathCount_].longPath, kMaxPath, longPath);
    CopyText(paths_[pathCount_].shortPath, kMaxPath, shortPath);
    ++pathCount_;
    return 1;
}

uint32_t SimSystem::GetProgramPath(char* buffer, uint32_t size)
{
    uint32_t length = static_cast<uint32_t>(strlen(programPath_));
    if (length == 0 || length >= size)
        return 0;
    CopyText(buffer, size, programPath_);
    return length;
}

uint32_t SimSystem::GetCanonicalPath(const char* path, char* buffer, uint32_t size)
{
    if (size)
        buffer[0] = '\0';
    for (int i = 0; path && i < pathCount_; ++i) {
        if (!SamePath(path, paths_[i].longPath) && !SamePath(path, paths_[i].shortPath))
            continue;
        uint32_t length = static_cast<uint32_t>(strlen(paths_[i].shortPath));
        if (length >= size)
            return 0;
        CopyText(buffer, size, paths_[i].shortPath);
        return length;
    }
    return 0;
}

void SimSystem::SetSystemDirectory(const char* directory)
{
    CopyText(systemDirectory_, kMaxPath, directory);
}

int SimSystem::SetFileVersion(const char* path, uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    if (!path)
        return 0;
    int index = FindFile(path);
    if (index < 0) {
        if (fileCount_ >= kMaxFiles)
            return 0;
        index = fileCount_++;
        CopyText(files_[index].path, kMaxPath, path);
    }
    files_[index].versionMS = static_cast<uint32_t>(a) << 16 | b;
    files_[index].versionLS = static_cast<uint32_t>(c) << 16 | d;
    return 1;
}

void SimSystem::RemoveFile(const char* path)
{
    int index = path ? FindFile(path) : -1;
    if (index < 0)
        return;
    files_[index] = files_[fileCount_ - 1];
    --fileCount_;
}

int SimSystem::FindFile(const char* path) const
{
    for (int i = 0; i < fileCount_; ++i) {
        if (SamePath(files_[i].path, path))
            return i;
    }
    return -1;
}

uint32_t SimSystem::GetVersion()
{
    Trace(SimEvent::VersionQuery, 0, version_);
    return version_;
}

uint32_t SimSystem::GetPlatformId()
{
    Trace(SimEvent::VersionQuery, 1, platformId_);
    return platformId_;
}

// As GetSystemDirectoryA: the length copied, or, when the buffer is too
// small, the size it would need (terminator included) with nothing copied.
uint32_t SimSystem::GetSystemDirectory(char* buffer, uint32_t size)
{
    uint32_t length = static_cast<uint32_t>(strlen(systemDirectory_));
    if (!buffer || length + 1 > size)
        return length + 1;
    memcpy(buffer, systemDirectory_, length + 1);
    return length;
}

int SimSystem::GetFileVersion(const char* path, uint32_t* versionMS, uint32_t* versionLS)
{
    ++fileQueries_;
    CopyText(lastQueriedPath_, kMaxPath, path);
    int index = path ? FindFile(path) : -1;
    int found = index >= 0 ? 1 : 0;
    if (found && versionMS && versionLS) {
        *versionMS = files_[index].versionMS;
        *versionLS = files_[index].versionLS;
    }
    Trace(SimEvent::FileVersionQuery, 0, static_cast<uint32_t>(found));
    return found;
}

void SimSystem::Trace(SimEvent event, uint32_t address, uint32_t value)
{
    if (trace_)
        trace_->Add(event, address, value);
}
