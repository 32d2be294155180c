// What guards the runs that go as the local system account: the run lock,
// the program folder's permissions, and the files a recorded path may name.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include "TestSupport.h"
#include "hostenv/FolderAccess.h"
#include "restart/BootCheck.h"
#include "restart/VerifyHost.h"
#include "runtime/Handles.h"

namespace {

// A squatter that made the old lock's name first (as a mutex, then as an
// event) keeps no run out; a second claim is refused until the first run
// ends, and a run that ends leaves nothing behind.
TEST(RunLock, NoNamedObjectBlocksItAndOneRunAtATime) {
    test::ScratchDir dir;
    const std::wstring lock = dir.File(L"OrvaneScheduledRestart.lock");
    for (const bool asEvent : {false, true}) {
        const wchar_t* oldName = L"Global\\OrvaneScheduledRestart.RestartRun";
        const rt::UniqueHandle squatter(asEvent ? ::CreateEventW(nullptr, TRUE, FALSE, oldName)
                                                : ::CreateMutexW(nullptr, TRUE, oldName));
        ASSERT_TRUE(squatter);
        rt::UniqueHandle first, second;
        const std::string held = ClaimRunLock(lock, first);  // first, then the second claim
        EXPECT_EQ(held + "|" + ClaimRunLock(lock, second), "|another restart run is in progress");
        first.reset();
        EXPECT_FALSE(test::Exists(lock)) << "deleted as the run ends";
        EXPECT_EQ(ClaimRunLock(lock, second), "");
    }
    rt::UniqueHandle none;
    EXPECT_EQ(ClaimRunLock(dir.File(L"no such folder\\x.lock"), none).rfind("the run lock ", 0), 0u);
}

// A folder everyone may write to (chmod o+w under Wine) fails the rule;
// one only administrators may change passes it.
TEST(FolderRule, WritableByEveryoneFailsItAndAnAdministratorsFolderPasses) {
    test::ScratchDir dir;
    EXPECT_EQ(FolderWritersBesidesAdmins(dir.Path()), L"");
    EXPECT_EQ(FolderWritersBesidesAdmins(dir.File(L"gone")).rfind(L"anyone (its permissions cannot be read", 0), 0u);
    PACL old = nullptr, widened = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(dir.Path().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      &old, nullptr, &sd), ERROR_SUCCESS);
    EXPLICIT_ACCESSW everyone{};
    ::BuildExplicitAccessWithNameW(&everyone, const_cast<wchar_t*>(L"Everyone"), FILE_GENERIC_WRITE | FILE_GENERIC_READ,
                                   GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
    ASSERT_EQ(::SetEntriesInAclW(1, &everyone, old, &widened), ERROR_SUCCESS);
    ASSERT_EQ(::SetNamedSecurityInfoW(const_cast<wchar_t*>(dir.Path().c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, widened, nullptr), ERROR_SUCCESS);
    ::LocalFree(widened), ::LocalFree(sd);
    EXPECT_EQ(FolderWritersBesidesAdmins(dir.Path()), L"Everyone");
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
