// The restart window's Windows parts: the event components and their message
// libraries, the gateway client, and the shipped kill utility.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "machine/EventLog.h"
#include "machine/modCallExternalApp.h"
#include "runtime/ApartmentThread.h"
#include "runtime/App.h"
#include "runtime/Handles.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

namespace {

using test::ProgramFile;

// Every event's text (with its service name where it takes one) and both
// categories, in each of the three message libraries.
TEST(EventMessages, EveryEventNumberHasARealTextInEachLibrary) {
    for (const wchar_t* lib : {L"EVT_OrvaneScheduledRestart.dll", L"CAT_OrvaneScheduledRestart.dll",
                               L"PARAM_OrvaneScheduledRestart.dll"}) {
        const rt::UniqueModule m(::LoadLibraryExW(ProgramFile(lib).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(m) << rt::ToUtf8(lib);
        const auto text = [&](DWORD id) {
            wchar_t buf[512] = {};
            const wchar_t* args[] = {L"PmSyncSvr"};
            ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, m.get(), id, 1033, buf, 512,
                             reinterpret_cast<va_list*>(const_cast<wchar_t**>(args)));
            return std::wstring(buf);
        };
        for (int n = 1; n <= 11; ++n) {
            const std::wstring s = text(EventLogger::EventId(n, n == 5));
            EXPECT_GT(s.size(), 10u) << "event " << n;
            EXPECT_TRUE(n < 6 || n > 9 || s.find(L"PmSyncSvr") != std::wstring::npos) << "event " << n;
        }
        EXPECT_NE(text(1), L"") << "category 1";
        EXPECT_NE(text(2), L"") << "category 2";
    }
}

TEST(EventSource, RegistrationValuesAreWrittenUnderTheSource) {
    const std::wstring source = L"OrvaneTestSource", key = EventSourceRegistration::KeyPath(source);
    EventSourceRegistration reg;
    EXPECT_THROW(reg.SetCategoryCount(2), ProgramError) << "a source name comes first";
    reg.SetSourceName(source);
    reg.SetEventMessageFile(L"C:\\Tool\\EVT_OrvaneScheduledRestart.dll");
    reg.SetCategoryCount(2);
    reg.SetTypesSupported(7);
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof text, type = 0, count = 0, types = 0, dword = sizeof(DWORD);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"EventMessageFile", RRF_RT_ANY | RRF_NOEXPAND, &type, text, &size);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"CategoryCount", RRF_RT_REG_DWORD, nullptr, &count, &dword);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"TypesSupported", RRF_RT_REG_DWORD, nullptr, &types, &dword);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_EQ(std::wstring(text) + L"|" + std::to_wstring(type) + L"|" + std::to_wstring(count) + L"|" +
                  std::to_wstring(types),
              L"C:\\Tool\\EVT_OrvaneScheduledRestart.dll|2|2|7") << "an expandable text and two numbers";
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

// A program started the way the sequences start one.
rt::UniqueHandle Started(const std::wstring& program, const std::wstring& args) {
    const std::int32_t pid = StartCommand(L"\"" + program + L"\" " + args, vbHide);
    return rt::UniqueHandle(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                          static_cast<DWORD>(pid)));
}

bool EndsWithin(const rt::UniqueHandle& process, DWORD ms) {
    return process && ::WaitForSingleObject(process.get(), ms) == WAIT_OBJECT_0;
}

// kill.exe (or another program): its exit code, or -1 when it did not end within 20 s.
int RunKill(const std::wstring& args, const std::wstring& program = ProgramFile(L"kill.exe")) {
    const rt::UniqueHandle h = Started(program, args);
    DWORD code = 99;
    return EndsWithin(h, 20000) && ::GetExitCodeProcess(h.get(), &code) ? static_cast<int>(code) : -1;
}

TEST(KillUtility, PatternsEndMatchingProcessesOnly) {
    test::ScratchDir dir;
    const std::wstring pm = dir.File(L"PmOrvTestSvr.exe"), other = dir.File(L"SqlOrvTest.exe");
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), pm.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), other.c_str(), FALSE));
    for (const wchar_t* pattern : {L"pmorvtest*.* -f", L"PMORVTESTSVR -f"}) {  // without the extension, any case
        const rt::UniqueHandle a = Started(pm, L"sleep 600000"), b = Started(other, L"sleep 600000");
        ASSERT_FALSE(EndsWithin(a, 0) || EndsWithin(b, 0));
        EXPECT_EQ(RunKill(pattern), 0);
        EXPECT_TRUE(EndsWithin(a, 5000)) << rt::ToUtf8(pattern);
        EXPECT_FALSE(EndsWithin(b, 0)) << "not matched";
        ::TerminateProcess(a.get(), 0);
        ::TerminateProcess(b.get(), 0);
    }
    EXPECT_EQ(RunKill(L"NoSuchProcess4711* -f"), 1) << "nothing matched";
    for (const wchar_t* wrong : {L"", L"-f", L"a b -f"}) EXPECT_EQ(RunKill(wrong), 2) << rt::ToUtf8(wrong);
}

TEST(KillUtility, NeverEndsItselfOrItsParent) {
    // Names of this test's own: a pattern must never reach another program
    // on the machine, such as a second test program running beside this one.
    test::ScratchDir dir;
    const std::wstring tag = std::to_wstring(::GetCurrentProcessId());
    const std::wstring killer = dir.File(L"OrvKill" + tag + L".exe"), parent = dir.File(L"OrvParent" + tag + L".exe");
    ASSERT_TRUE(::CopyFileW(ProgramFile(L"kill.exe").c_str(), killer.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), parent.c_str(), FALSE));
    EXPECT_EQ(RunKill(L"orvkill" + tag + L"* -f", killer), 1) << "itself";
    EXPECT_EQ(RunKill(L"run \"" + killer + L"\" orvparent" + tag + L"* -f", parent), 1) << "its parent";
}

}  // namespace
