// The program's one file-system object: folders, files, dates, deletion.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rt {

struct FileEntry {
    std::wstring name;
    std::wstring path;
    SYSTEMTIME lastModified{};  // local time
    DWORD attributes = 0;
};

class FileSystem {
public:
    bool FolderExists(const std::wstring& path) const;
    // One level; throws ProgramError when the folder cannot be made.
    void CreateFolder(const std::wstring& path) const;
    // The regular files standing directly in the folder, in listing order.
    // Sub-folders and links or junctions (reparse points) are left out, so
    // nothing walks out of the folder. Throws when the folder is missing.
    std::vector<FileEntry> Files(const std::wstring& folder) const;
    bool FileExists(const std::wstring& path) const;
    // Throws ProgramError when the file stays; force also removes read-only files.
    void DeleteFile(const std::wstring& path, bool force) const;
    // "C:" for "C:\x\y", "\\server\share" for a UNC path, empty otherwise.
    std::wstring GetDriveName(const std::wstring& path) const;
};

// Created on first use and kept for the life of the process.
FileSystem& gFileSystem();

}  // namespace rt
