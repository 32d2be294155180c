// What guards the runs that go as the local system account: the run lock,
// the program folder's permissions, and the files a recorded path may name.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <aclapi.h>
#include <sddl.h>

#include "TestSupport.h"
#include "hostenv/FolderAccess.h"
#include "verify/BootCheck.h"
#include "verify/VerifyHost.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"
#include "schedule/TaskCommand.h"

namespace {

// An entry that lets Everyone change the object, for as long as it lives
// (under Wine: chmod o+w, then the old mode back).
class OpenToEveryone {
public:
    explicit OpenToEveryone(const std::wstring& path) : path_(path) {
        PACL old = nullptr, widened = nullptr;
        EXPECT_EQ(::GetNamedSecurityInfoW(path_.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &old,
                                          nullptr, &sd_), ERROR_SUCCESS);
        old_ = old;
        EXPLICIT_ACCESSW everyone{};
        ::BuildExplicitAccessWithNameW(&everyone, const_cast<wchar_t*>(L"Everyone"), FILE_ALL_ACCESS, GRANT_ACCESS, NO_INHERITANCE);
        EXPECT_EQ(::SetEntriesInAclW(1, &everyone, old, &widened), ERROR_SUCCESS);
        EXPECT_EQ(Set(widened), ERROR_SUCCESS);
        ::LocalFree(widened);
    }
    ~OpenToEveryone() {
        EXPECT_EQ(Set(old_), ERROR_SUCCESS);
        ::LocalFree(sd_);
    }

private:
    DWORD Set(PACL dacl) {
        return ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path_.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, dacl, nullptr);
    }
    std::wstring path_;
    PSECURITY_DESCRIPTOR sd_ = nullptr;
    PACL old_ = nullptr;
};

// One run at a time: a second claim is refused until the first run ends;
// the file is never deleted, so another open of it, even one without any
// access (which no sharing mode refuses), keeps no later run out; a look at
// it says whether a run holds it and keeps none out. A squatter that made the
// old named lock first blocks nothing.
TEST(RunLock, OneRunAtATimeAndNoOtherOpenBlocksIt) {
    test::ScratchDir dir;
    const std::wstring lock = dir.File(L"run.lock");
    const rt::UniqueHandle squatter(::CreateMutexW(nullptr, TRUE, L"Global\\OrvaneScheduledRestart.RestartRun"));
    std::string error;
    EXPECT_EQ(RunLockHeld(lock, error), std::optional<bool>(false)) << "never taken";
    rt::UniqueHandle first, second;
    const std::string held = ClaimRunLock(lock, first);  // first, then the second claim
    EXPECT_EQ(held + "|" + ClaimRunLock(lock, second), "|another restart run is in progress");
    EXPECT_EQ(RunLockHeld(lock, error), std::optional<bool>(true));
    const rt::UniqueHandle bare(::CreateFileW(lock.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(bare) << "an open without access rights";
    first.reset();
    EXPECT_TRUE(test::Exists(lock)) << "kept";
    EXPECT_EQ(RunLockHeld(lock, error), std::optional<bool>(false));
    EXPECT_EQ(ClaimRunLock(lock, second), "") << "the bare open keeps no run out";
    rt::UniqueHandle none;
    EXPECT_EQ(ClaimRunLock(dir.File(L"no such folder\\x.lock"), none).rfind("the run lock ", 0), 0u);
}

// The lock's folder: made for administrators when missing, and refused when
// users may change it.
TEST(RunLock, ItsFolderIsMadeForAdministratorsAndCheckedByTheRule) {
    // Under the common application data folder, as Windows names it.
    wchar_t common[MAX_PATH] = {};
    ASSERT_HRESULT_SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common));
    EXPECT_EQ(RunLockFolder(), std::wstring(common) + L"\\OrvaneScheduledRestart");
    test::ScratchDir dir;
    const std::wstring folder = dir.File(L"OrvaneScheduledRestart");
    EXPECT_EQ(PrepareRunLockFolder(folder) + "|" + PrepareRunLockFolder(folder), "|") << "made, then found";
    EXPECT_EQ(FolderWritersBesidesAdmins(folder), L"");
    const OpenToEveryone open(folder);
    EXPECT_EQ(PrepareRunLockFolder(folder).rfind("the run lock's folder " + rt::ToUtf8(folder) + " can be changed by Everyone", 0), 0u);
}

// Everything on the way counts: the folder, the folder above it and a file
// a run starts; each open to everyone fails the rule, and passes again once
// it is closed. A folder that cannot be read fails it too. "/Schedule" with
// "/ProgramPath" below a folder open to everyone makes no task.
TEST(FolderRule, TheFolderTheFoldersAboveAndTheFilesARunStarts) {
    test::ScratchDir dir;
    const std::wstring program = dir.File(L"Orvane");
    ASSERT_TRUE(::CreateDirectoryW(program.c_str(), nullptr));
    test::WriteBytes(program + L"\\kill.exe", "MZ");
    EXPECT_EQ(FolderWritersBesidesAdmins(program), L"");
    EXPECT_EQ(FolderWritersBesidesAdmins(dir.File(L"gone")).rfind(L"anyone (" + dir.File(L"gone") +
                                                                   L": its permissions cannot be read", 0), 0u);
    const struct {
        std::wstring open, said;
    } rows[] = {
        {dir.Path(), L"Everyone (" + dir.Path() + L": may delete or rename what is in it"},
        {program + L"\\kill.exe", L"Everyone (" + program + L"\\kill.exe: may change it"},
    };
    for (const auto& row : rows) {
        {
            const OpenToEveryone open(row.open);
            const std::wstring said = FolderWritersBesidesAdmins(program);
            EXPECT_EQ(said.rfind(row.said, 0), 0u) << rt::ToUtf8(said);
            if (row.open == dir.Path()) {
                ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
                const VerbResult r = RunTaskVerb(ParseTaskVerb(L"/Schedule:\"Orvane below an open folder\" /Reboot /At:03:15 "
                                                               L"/ProgramPath:" + program + L"\\OrvaneScheduledRestart.exe"));
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_EQ(r.text.rfind(L"refused: the program folder " + program + L" can be changed by Everyone", 0), 0u)
                    << rt::ToUtf8(r.text);
            }
        }
        EXPECT_EQ(FolderWritersBesidesAdmins(program), L"") << "closed again: " << rt::ToUtf8(row.open);
    }
}

// A skip's key by the same rule: one that Everyone may change is named, and
// a skip in it never counts.
TEST(FolderRule, ARegistryKeyOthersMayChange) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\OrvaneTests\\KeyRule", 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr), ERROR_SUCCESS);
    const rt::UniqueKey owner(key);
    for (const auto& [sddl, said] : {std::pair(L"O:BAD:P(A;;KA;;;SY)(A;;KA;;;BA)(A;;KR;;;WD)", L""),
                                     std::pair(L"O:BAD:P(A;;KA;;;BA)(A;;0x2;;;WD)", L"Everyone (k: may change its values)")}) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr));
        EXPECT_EQ(::RegSetKeySecurity(key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        ::LocalFree(sd);
        EXPECT_EQ(KeyWritersBesidesAdmins(key, L"k"), said) << rt::ToUtf8(sddl);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OrvaneTests");
}

// A recorded log is appended to only when it is one file with one name.
TEST(RecordedLog, OnlyAPlainFileWithOneName) {
    test::ScratchDir dir;
    for (const wchar_t* name : {L"a.TXT", L"b.TXT"}) test::WriteBytes(dir.File(name), "x");
    ASSERT_TRUE(::CreateHardLinkW(dir.File(L"b2.TXT").c_str(), dir.File(L"b.TXT").c_str(), nullptr));
    EXPECT_EQ((std::vector<bool>{IsPlainFile(dir.File(L"a.TXT")), IsPlainFile(dir.File(L"b.TXT")),
                                 IsPlainFile(dir.File(L"b2.TXT")), IsPlainFile(dir.Path()), IsPlainFile(dir.File(L"c.TXT"))}),
              (std::vector<bool>{true, false, false, false, false}));
}

}  // namespace
