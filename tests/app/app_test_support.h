#pragma once
// Helpers for the window tests: message pumping, control geometry, message boxes answered
// from a watcher thread, files beside the program, the shell's open commands redirected, and
// the program itself started.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "system/handles.h"

class TForm1;

// Common controls registered once for the test process, as the program does at start.
void InitControlsOnce();
// Handles every pending message of this thread.
void PumpMessages();
// Handles this thread's messages as they come until the condition holds or the limit passes;
// returns the condition's last value.
template <typename Condition>
bool PumpUntil(Condition done, DWORD limitMs = 5 * 60 * 1000) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!done() && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    return done();
}
// Starts the form's update check and handles messages until it has ended and its box, if any,
// was answered; false when it did not end within a generous limit.
bool CheckForUpdateAndWait(TForm1& form);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
std::string WindowText(HWND window);
std::string ClassOf(HWND window);
// The first top-level window of the process with that class; visibleOnly skips hidden ones.
HWND FindProcessWindow(DWORD processId, const char* className, bool visibleOnly);

// Opens the file without sharing, so nobody else can open it while the handle lives; null on failure.
UniqueHandle OpenExclusively(const std::string& path);

// A message box seen by BoxAnswerer.
struct SeenBox {
    std::string text;
    std::vector<std::string> buttons;
    HICON icon = nullptr;
};

// Watches for message boxes of this process with the given caption, records each and answers
// it (OK unless another button id is given). Stops in the destructor.
class BoxAnswerer {
public:
    explicit BoxAnswerer(const std::string& caption, int answer = IDOK);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    std::vector<SeenBox> Seen();

private:
    void Watch();
    std::string caption_;
    int answer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::thread thread_;
};

// A file beside the program (in GetAppFolder) for the test's lifetime; an earlier file of the
// same name is put back afterwards.
class FileBesideProgram {
public:
    FileBesideProgram(const std::string& name, const std::string& bytes);
    // Makes sure no file of that name is there.
    explicit FileBesideProgram(const std::string& name);
    ~FileBesideProgram();
    FileBesideProgram(const FileBesideProgram&) = delete;
    FileBesideProgram& operator=(const FileBesideProgram&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool hadOriginal_ = false;
    std::string original_;
};

// Points the shell's "open" command for http addresses and for .txt files at
// zarvex-recorder.exe, which writes each target to a record file; restores the commands after.
class ShellOpenRecorder {
public:
    ShellOpenRecorder();
    ~ShellOpenRecorder();
    ShellOpenRecorder(const ShellOpenRecorder&) = delete;
    ShellOpenRecorder& operator=(const ShellOpenRecorder&) = delete;
    bool Ready() const { return ready_; }
    // Waits (up to a generous limit) until count targets were recorded, and returns them all.
    std::vector<std::string> WaitForTargets(size_t count);

private:
    struct Saved {
        std::string key;
        bool existed = false;
        std::string value;
    };
    bool Redirect(const std::string& key, const std::string& command);
    std::string recordPath_;
    std::vector<Saved> saved_;
    bool ready_ = false;
};

// A program of the tests' own folder, started for one test; ended (exit code 1) when it still
// runs as the owner goes.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& exeName, DWORD creationFlags = 0);
    // Started with these arguments after the program's quoted path.
    StartedProgram(const std::string& exeName, const std::wstring& arguments, DWORD creationFlags = 0);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;
    bool Started() const { return process_ != nullptr; }
    HANDLE Process() const { return process_.get(); }
    DWORD Id() const { return id_; }
    // Waits, up to a generous limit, for a visible top-level window of the program with that
    // class (and that caption, when one is given); null when none came.
    HWND WaitForWindow(const char* className, const char* caption = nullptr) const;
    // Waits, up to a generous limit, for the program to end.
    bool WaitEnded() const;
    // The exit code once ended; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

class ScratchFolder;

// The report's lines, split at CR LF.
std::vector<std::string> Lines(const std::string& text);

// What a run of Zarvex.exe without a window gave: its exit code and its report's bytes.
struct QuietRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string report;
};
// /scan /quiet /noupdate with these switches, the report written to a file of the scratch folder.
QuietRun RunQuiet(const ScratchFolder& scratch, const std::wstring& switches, const char* reportName);
