// The restart window's Windows parts: the event components and their message
// libraries, the gateway client, and the shipped kill utility.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "TestSupport.h"
#include "restart/EventLog.h"
#include "restart/GatewayControl.h"
#include "restart/modCallExternalApp.h"
#include "runtime/ApartmentThread.h"
#include "runtime/App.h"
#include "runtime/Handles.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

namespace {

using test::ProgramFile;

TEST(EventMessages, EveryEventNumberHasARealTextInEachLibrary) {
    for (const wchar_t* lib : {L"EVT_OrvaneScheduledRestart.dll", L"CAT_OrvaneScheduledRestart.dll",
                               L"PARAM_OrvaneScheduledRestart.dll"}) {
        HMODULE m = ::LoadLibraryExW(ProgramFile(lib).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m, nullptr) << rt::ToUtf8(lib);
        for (int n = 1; n <= 10; ++n) {
            const DWORD id = EventLogger::EventId(n, n == 5);
            wchar_t* text = nullptr;
            const wchar_t* args[] = {L"PmSyncSvr"};
            const DWORD len = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                                   FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                               m, id, 1033, reinterpret_cast<wchar_t*>(&text), 0,
                                               reinterpret_cast<va_list*>(const_cast<wchar_t**>(args)));
            ASSERT_GT(len, 10u) << "event " << n;
            const std::wstring s(text, len);
            ::LocalFree(text);
            if (n >= 6 && n <= 9) {
                EXPECT_NE(s.find(L"PmSyncSvr"), std::wstring::npos) << n;
            }
        }
        // The two categories.
        for (DWORD category : {1u, 2u}) {
            wchar_t buf[128] = {};
            EXPECT_GT(::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, m, category, 1033,
                                       buf, 128, nullptr),
                      0u);
        }
        ::FreeLibrary(m);
    }
    EXPECT_EQ(EventLogger::EventId(1, false), 0x40000001u);
    EXPECT_EQ(EventLogger::EventId(5, true), 0xC0000005u);
}

TEST(EventSource, RegistrationValuesAreWrittenUnderTheSource) {
    const std::wstring source = L"OrvaneTestSource";
    const std::wstring key = EventSourceRegistration::KeyPath(source);
    EventSourceRegistration reg;
    EXPECT_THROW(reg.SetCategoryCount(2), ProgramError) << "a source name comes first";
    reg.SetSourceName(source);
    reg.SetEventMessageFile(L"C:\\Tool\\EVT_OrvaneScheduledRestart.dll");
    reg.SetCategoryMessageFile(L"C:\\Tool\\CAT_OrvaneScheduledRestart.dll");
    reg.SetCategoryCount(2);
    reg.SetParameterMessageFile(L"C:\\Tool\\PARAM_OrvaneScheduledRestart.dll");
    reg.SetTypesSupported(7);
    const auto value = [&](const wchar_t* name) {
        union {
            wchar_t text[MAX_PATH];
            DWORD number;
        } data{};
        DWORD size = sizeof data, type = 0;
        ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, &data, &size);
        return type == REG_DWORD ? std::to_wstring(data.number) : std::to_wstring(type) + data.text;
    };
    EXPECT_EQ(value(L"EventMessageFile"), L"2C:\\Tool\\EVT_OrvaneScheduledRestart.dll") << "REG_EXPAND_SZ";
    EXPECT_EQ(value(L"TypesSupported"), L"7");
    EXPECT_EQ(value(L"CategoryCount"), L"2");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());

    EventLogger logger;
    logger.SetMode(1);
    logger.SetSourceName(source);
    EXPECT_NO_THROW(logger.LogInfoEvent(6, L"PmSyncSvr"));
    EXPECT_NO_THROW(logger.LogErrorEvent(5, L"File not found number=53"));
}

TEST(Gateway, AnUnregisteredGatewayCannotBeCreated) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t clsid[64] = {};
    ::StringFromGUID2(kGatewayControlClsid, clsid, 64);
    const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + clsid;
    HKEY k = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
        ::RegCloseKey(k);
        GTEST_SKIP() << "a gateway is registered on this machine";
    }
    try {
        GatewayControl gateway;
        FAIL();
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.Number(), 429);
        // The cause is kept: the HRESULT and the system's text for it.
        EXPECT_STREQ(e.what(), "ActiveX component can't create object: 0x80040154 Class not registered");
    }
}

// Gateway calls run on a thread of their own, so one that never returns is
// abandoned after its limit and the run goes on.
TEST(Gateway, CallsRunAwayFromTheWindowAndAHangingOneIsAbandonedAtItsLimit) {
    rt::ApartmentThread thread;
    DWORD ranOn = 0;
    EXPECT_TRUE(thread.Run([&] { ranOn = ::GetCurrentThreadId(); }, 5000));
    EXPECT_NE(ranOn, ::GetCurrentThreadId());
    EXPECT_THROW(thread.Run([] { throw ProgramError(438, "no such member"); }, 5000), ProgramError);

    rt::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE gate = release.get();
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(thread.Run([gate] { ::WaitForSingleObject(gate, 30000); }, 400));
    const ULONGLONG waited = ::GetTickCount64() - start;
    EXPECT_GE(waited, 390u);
    EXPECT_LT(waited, 3000u);
    EXPECT_TRUE(thread.Abandoned());
    bool ran = false;
    EXPECT_FALSE(thread.Run([&] { ran = true; }, 5000)) << "an abandoned thread takes no more calls";
    EXPECT_FALSE(ran);
    ::SetEvent(gate);  // let the abandoned call end before the handle goes
    ::Sleep(50);
}

// kill.exe (or another program), started the way the sequences start it:
// its exit code, or -1 when it did not end within 20 s.
int RunKill(const std::wstring& args, const std::wstring& program = ProgramFile(L"kill.exe")) {
    const std::int32_t pid = StartCommand(L"\"" + program + L"\" " + args, vbHide);
    rt::UniqueHandle h(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    DWORD code = 99;
    if (!h || ::WaitForSingleObject(h.get(), 20000) != WAIT_OBJECT_0 || !::GetExitCodeProcess(h.get(), &code)) return -1;
    return static_cast<int>(code);
}

// A process that runs until it is killed; ended by the test in any case.
struct Victim {
    explicit Victim(const std::wstring& exe) : pid(StartCommand(L"\"" + exe + L"\" forever", vbHide)) {
        process.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid)));
    }
    ~Victim() {
        if (process) ::TerminateProcess(process.get(), 0);
    }
    bool Running() const { return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }
    bool EndsWithin(DWORD ms) const { return process && ::WaitForSingleObject(process.get(), ms) == WAIT_OBJECT_0; }
    std::int32_t pid;
    rt::UniqueHandle process;
};

TEST(KillUtility, PatternsEndMatchingProcessesOnly) {
    test::ScratchDir dir;
    const std::wstring pm = dir.File(L"PmOrvTestSvr.exe");
    const std::wstring other = dir.File(L"SqlOrvTest.exe");
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), pm.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), other.c_str(), FALSE));
    {
        Victim a(pm), b(other);
        ASSERT_TRUE(a.Running() && b.Running());
        EXPECT_EQ(RunKill(L"pmorvtest*.* -f"), 0);
        EXPECT_TRUE(a.EndsWithin(5000));
        EXPECT_TRUE(b.Running()) << "not matched";
    }
    {
        Victim a(pm);
        EXPECT_EQ(RunKill(L"PMORVTESTSVR -f"), 0) << "without the extension, any case";
        EXPECT_TRUE(a.EndsWithin(5000));
    }
    EXPECT_EQ(RunKill(L"NoSuchProcess4711* -f"), 1) << "nothing matched";
    EXPECT_EQ(RunKill(L""), 2);
    EXPECT_EQ(RunKill(L"-f"), 2);
    EXPECT_EQ(RunKill(L"a b -f"), 2);
}

TEST(KillUtility, NeverEndsItselfOrItsParent) {
    // Names of this test's own: a pattern must never reach another program
    // on the machine, such as a second test program running beside this one.
    test::ScratchDir dir;
    const std::wstring tag = std::to_wstring(::GetCurrentProcessId());
    const std::wstring killer = dir.File(L"OrvKill" + tag + L".exe");
    const std::wstring parent = dir.File(L"OrvParent" + tag + L".exe");
    ASSERT_TRUE(::CopyFileW(ProgramFile(L"kill.exe").c_str(), killer.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), parent.c_str(), FALSE));
    EXPECT_EQ(RunKill(L"orvkill" + tag + L"* -f", killer), 1) << "itself";
    EXPECT_EQ(RunKill(L"run \"" + killer + L"\" orvparent" + tag + L"* -f", parent), 1) << "its parent";
}

}  // namespace
