// Helpers shared by the Windows tests: scratch folders, file contents, the
// helper child program, and answering boxes from another thread.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace test {

// A fresh folder under %TEMP%, removed with its files when the object dies.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::wstring ChildProc();  // full path of the helper child program
std::wstring ProgramFile(const std::wstring& name);  // a file of the built program folder
std::wstring ShippedLibrary(const std::wstring& code);  // the built language library of a code
LOGFONTW FontOf(HWND control);

// Polls until the predicate holds or the time runs out, pumping messages.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// A visible top-level window of the process (this one by default) with the
// title: test programs run side by side on one desktop.
HWND FindWindowOf(const std::wstring& title, DWORD pid = ::GetCurrentProcessId());

// Acts, from another thread, on the windows the code under test opens
// modally, in order: each step waits for a visible top-level window of this
// process with its title, acts on it, and waits for it to go.
class Answers {
public:
    struct Step {
        std::wstring title;
        std::function<void(HWND)> act;
    };
    explicit Answers(std::vector<Step> steps);
    ~Answers() { Finish(); }
    // How many steps were answered, once the answering is over: an answer
    // lets the code under test return before its thread counts it.
    int Done() {
        Finish();
        return done_;
    }

private:
    void Finish() {
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<int> done_{0};
    std::thread thread_;
};

std::wstring DialogText(HWND dialog);  // the static texts of a dialog, joined

// A step that keeps a box's text and presses one of its buttons.
Answers::Step ReadAndPress(const std::wstring& title, std::wstring& text, int button = IDOK);

// Held while a test uses what the test programs running side by side in one
// prefix share: such tests take turns. "/Unschedule:*" deletes every task of
// the program, another test's too; a run of the program holds the one run
// lock of the machine.
class Turn {
public:
    explicit Turn(const wchar_t* what);
    ~Turn();
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    HANDLE mutex_;
};
inline const wchar_t kTaskScheduler[] = L"TaskScheduler";
inline const wchar_t kProgramRuns[] = L"ProgramRuns";

// A fixture that starts and ends with no language chosen and no library held.
class LanguageReset : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset();
    ScratchDir dir_;
};

// Keeps the program's event source registration as it was: a copy is taken
// now and put back (or the key removed) when the guard dies.
class EventSourceGuard {
public:
    EventSourceGuard();
    ~EventSourceGuard();

private:
    std::wstring backup_;
    bool existed_ = false, saved_ = false;
};

}  // namespace test
