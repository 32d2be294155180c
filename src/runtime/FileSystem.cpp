#include "runtime/FileSystem.h"

#include "runtime/Handles.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

namespace rt {
namespace {

DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

[[noreturn]] void RaiseFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: throw ProgramError(kErrFileNotFound, "File not found");
    case ERROR_PATH_NOT_FOUND: throw ProgramError(kErrPathNotFound, "Path not found");
    case ERROR_ACCESS_DENIED: throw ProgramError(kErrPermissionDenied, "Permission denied");
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: throw ProgramError(kErrFileAlreadyExists, "File already exists");
    case ERROR_DISK_FULL: throw ProgramError(kErrDiskFull, "Disk full");
    default: throw ProgramError(static_cast<long>(error), ToUtf8(SystemErrorText(error)));
    }
}

}  // namespace

bool FileSystem::FolderExists(const std::wstring& path) const {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void FileSystem::CreateFolder(const std::wstring& path) const {
    if (!::CreateDirectoryW(path.c_str(), nullptr)) RaiseFor(::GetLastError());
}

std::vector<FileEntry> FileSystem::Files(const std::wstring& folder) const {
    if (!FolderExists(folder)) throw ProgramError(kErrPathNotFound, "Path not found");
    std::vector<FileEntry> files;
    const std::wstring base = (!folder.empty() && folder.back() == L'\\') ? folder : folder + L"\\";
    WIN32_FIND_DATAW d{};
    HANDLE h = ::FindFirstFileExW((base + L"*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return files;
        RaiseFor(error);
    }
    UniqueFind find(h);
    do {
        if (d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        FileEntry e;
        e.name = d.cFileName;
        e.path = base + e.name;
        e.attributes = d.dwFileAttributes;
        SYSTEMTIME utc{};
        ::FileTimeToSystemTime(&d.ftLastWriteTime, &utc);
        ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &e.lastModified);
        files.push_back(std::move(e));
    } while (::FindNextFileW(find.get(), &d));
    return files;
}

bool FileSystem::FileExists(const std::wstring& path) const {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void FileSystem::DeleteFile(const std::wstring& path, bool force) const {
    if (force) {
        const DWORD a = Attributes(path);
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) {
            ::SetFileAttributesW(path.c_str(), a & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        }
    }
    if (!::DeleteFileW(path.c_str())) RaiseFor(::GetLastError());
}

std::wstring FileSystem::GetDriveName(const std::wstring& path) const {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
    if (path.rfind(L"\\\\", 0) == 0) {
        const std::size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return {};
        const std::size_t share = path.find(L'\\', server + 1);
        return path.substr(0, share);
    }
    return {};
}

FileSystem& gFileSystem() {
    static FileSystem fs;
    return fs;
}

}  // namespace rt
