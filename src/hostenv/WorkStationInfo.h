// Who runs the program, and on which machine, as the workstation service says.
#pragma once

#include <cstdint>
#include <string>

class WorkStationInfo {
public:
    // Reads the platform; on an NT-based system reads both records.
    WorkStationInfo();
    // For a given platform identifier (2 is NT-based); other platforms leave
    // every value empty.
    explicit WorkStationInfo(std::int32_t platformId);

    const std::wstring& ComputerName() const { return computerName_; }
    const std::wstring& Domain() const { return domain_; }
    const std::wstring& LanRoot() const { return lanRoot_; }
    std::int32_t LoggedOnUsers() const { return loggedOnUsers_; }
    std::int32_t PlatformId() const { return platformId_; }
    std::int32_t VerMajor() const { return verMajor_; }
    std::int32_t VerMinor() const { return verMinor_; }
    const std::wstring& LogonDomain() const { return logonDomain_; }
    const std::wstring& LogonServer() const { return logonServer_; }
    const std::wstring& OtherDomains() const { return otherDomains_; }
    const std::wstring& UserName() const { return userName_; }

    // Re-reads both records; a failed call keeps its values as they were.
    void Refresh();

private:
    static std::wstring strFromWidePointer(const wchar_t* text);

    bool bIsNT = false;
    std::wstring computerName_, domain_, lanRoot_;
    std::int32_t loggedOnUsers_ = 0, platformId_ = 0, verMajor_ = 0, verMinor_ = 0;
    std::wstring logonDomain_, logonServer_, otherDomains_, userName_;
};

// The shared instance, created at its first use.
WorkStationInfo& TheWorkStationInfo();
