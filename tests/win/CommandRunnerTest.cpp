#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "TestSupport.h"
#include "restart/modCallExternalApp.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

bool StillRunning(std::int32_t pid) {
    HANDLE h = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (!h) return false;
    const bool running = ::WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    ::TerminateProcess(h, 9);  // tidy up after ourselves
    ::CloseHandle(h);
    return running;
}

// The wait ends with the child or at its limit, never later; a child still
// running at the limit is left running.
TEST(CommandRunner, WaitEndsWhenTheChildEndsOrAtItsLimit) {
    struct Case {
        const wchar_t* args;
        DWORD pauseFirst;  // the child is long gone before the wait
        std::int32_t limit;
        bool finished;
        long long minMs, maxMs;  // from before the start
    } cases[] = {
        {L" sleep 2000", 0, 30000, true, 1900, 10000},
        {L" sleep 20000", 0, 700, false, 650, 3000},
        {L" sleep 1500", 0, -1, true, 1400, 10000},
        {L" exit 0", 800, 30000, true, 800, 1800},
    };
    for (const Case& c : cases) {
        const auto start = Clock::now();
        const std::int32_t pid = StartCommand(Quoted(test::ChildProc()) + c.args, vbMinimizedNoFocus);
        EXPECT_LT(MsSince(start), 1500) << "the start must not wait for the child";
        ::Sleep(c.pauseFirst);
        EXPECT_EQ(bWaitForProcess(pid, c.limit), c.finished) << rt::ToUtf8(c.args);
        const long long took = MsSince(start);
        EXPECT_GE(took, c.minMs) << rt::ToUtf8(c.args);
        EXPECT_LT(took, c.maxMs) << rt::ToUtf8(c.args);
        EXPECT_EQ(StillRunning(pid), !c.finished);
    }
}

TEST(CommandRunner, GoneProcessIdIsFalseAtOnce) {
    // A grandchild: started and reaped by another process, so no handle of
    // ours keeps it alive.
    test::ScratchDir dir;
    const std::wstring out = dir.File(L"pid.txt");
    const std::int32_t parent = StartCommand(Quoted(test::ChildProc()) + L" spawn " + Quoted(out), vbHide);
    ASSERT_TRUE(bWaitForProcess(parent, 20000));
    const std::int32_t gone = std::stoi(test::ReadBytes(out));
    // The system may keep an ended process's object for a moment; wait until
    // the id really is gone.
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(gone));
            if (h) ::CloseHandle(h);
            return h == nullptr;
        },
        std::chrono::milliseconds(10000)));
    const auto start = Clock::now();
    EXPECT_FALSE(bWaitForProcess(gone, 5000));
    EXPECT_FALSE(bWaitForProcess(0, 5000));
    EXPECT_FALSE(bWaitForProcess(0x7FFFFFF0, 5000));
    EXPECT_LT(MsSince(start), 1000);
}

TEST(CommandRunner, ProgramThatCannotBeStartedRaisesAnErrorToTheCaller) {
    try {
        StartCommand(L"no_such_program_4711.exe /x", vbNormalFocus);
        FAIL() << "expected an error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.Number(), 53);
        EXPECT_STREQ(e.what(), "File not found: no_such_program_4711.exe") << "the log names the program";
    }
    test::ScratchDir dir;
    try {
        StartCommand(Quoted(dir.File(L"missing one.exe")) + L" /x", vbNormalFocus);
        FAIL() << "expected an error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(std::string(e.what()), "File not found: " + rt::ToUtf8(dir.File(L"missing one.exe")));
    }
    EXPECT_THROW(StartCommand(L"", vbNormalFocus), ProgramError);
}

TEST(CommandRunner, WindowStyleReachesTheChild) {
    test::ScratchDir dir;
    const struct {
        int style;
        int expected;
    } cases[] = {{vbNormalFocus, SW_SHOWNORMAL}, {vbMinimizedFocus, SW_SHOWMINIMIZED},
                 {vbMinimizedNoFocus, SW_SHOWMINNOACTIVE}, {vbHide, SW_HIDE}};
    for (const auto& c : cases) {
        const std::wstring out = dir.File(L"state" + std::to_wstring(c.style) + L".txt");
        const std::int32_t pid = StartCommand(Quoted(test::ChildProc()) + L" showstate " + Quoted(out), c.style);
        ASSERT_TRUE(bWaitForProcess(pid, 20000));
        EXPECT_EQ(test::ReadBytes(out), std::to_string(c.expected)) << "style " << c.style;
    }
    EXPECT_THROW(StartCommand(Quoted(test::ChildProc()) + L" exit 0", 5), ProgramError);
}

TEST(CommandRunner, CommandLineReachesTheChildUnchangedEvenFromAFolderWithBlanks) {
    test::ScratchDir dir;
    const std::wstring folder = dir.File(L"Program Files");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring copy = folder + L"\\child proc.exe";
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), copy.c_str(), FALSE));
    const std::wstring out = dir.File(L"line.txt");
    const std::wstring line = Quoted(copy) + L" cmdline " + Quoted(out) + L"  two\tblanks \x00e9";
    const std::int32_t pid = StartCommand(line, vbMinimizedNoFocus);
    ASSERT_TRUE(bWaitForProcess(pid, 20000));
    EXPECT_EQ(test::ReadBytes(out), rt::ToUtf8(line));
}

}  // namespace
