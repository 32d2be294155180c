// What the program knows of itself: its folder, file name and version.
#pragma once

#include <string>

namespace rt {

struct AppInfo {
    std::wstring path;     // folder of the exe, no trailing backslash (except a root)
    std::wstring exeName;  // file name without ".exe"
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// Read once from the running module and its VERSIONINFO resource.
const AppInfo& App();

// Folder plus file name with exactly one backslash between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

}  // namespace rt
