#include "app_test_support.h"

#include <commctrl.h>

#include <chrono>

#include "support/test_paths.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/text_codes.h"
#include "ui/main_form.h"

namespace {

std::string ReadIfPresent(const std::string& path, bool* present) {
    *present = IsExistingFile(path);
    return *present ? ReadWholeFile(path) : std::string();
}

bool ReadDefaultValue(HKEY root, const std::string& key, std::string* value) {
    char data[1024];
    DWORD size = sizeof(data);
    if (RegGetValueA(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return false;
    *value = data;
    return true;
}

bool WriteDefaultValue(HKEY root, const std::string& key, const std::string& value) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey owner(opened);
    return RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

void InitControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

void PumpMessages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool CheckForUpdateAndWait(TForm1& form) {
    if (!form.StartUpdateCheck()) return false;
    return PumpUntil([&] { return !form.UpdateCheckRunning(); });
}

RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

UniqueHandle OpenExclusively(const std::string& path) {
    return UniqueHandle(
        ValidOrNull(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || ClassOf(window) != search->className) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, bool visibleOnly) {
    WindowSearch search{processId, className, visibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BoxAnswerer::BoxAnswerer(const std::string& caption, int answer)
    : caption_(caption), answer_(answer), thread_([this] { Watch(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> BoxAnswerer::Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void BoxAnswerer::Watch() {
    while (!stop_) {
        HWND box = FindProcessWindow(GetCurrentProcessId(), "#32770", true);
        if (box && WindowText(box) == caption_) {
            SeenBox seen;
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                std::string kind = ClassOf(child);
                if (!lstrcmpiA(kind.c_str(), "Button") && IsWindowVisible(child)) {
                    seen.buttons.push_back(WindowText(child));
                } else if (!lstrcmpiA(kind.c_str(), "Static")) {
                    HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
                    if (icon) seen.icon = icon;
                    else if (!WindowText(child).empty()) seen.text = WindowText(child);
                }
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back(seen);
            }
            PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer_), 0);
            while (!stop_ && IsWindow(box) && IsWindowVisible(box)) Sleep(20);
        }
        Sleep(20);
    }
}

FileBesideProgram::FileBesideProgram(const std::string& name) : path_(GetAppFolder() + name) {
    original_ = ReadIfPresent(path_, &hadOriginal_);
    DeleteFileA(path_.c_str());
}

FileBesideProgram::FileBesideProgram(const std::string& name, const std::string& bytes) : FileBesideProgram(name) {
    WriteFileBytes(path_, bytes);
}

FileBesideProgram::~FileBesideProgram() {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path_.c_str());
    if (hadOriginal_) WriteFileBytes(path_, original_);
}

ShellOpenRecorder::ShellOpenRecorder() {
    recordPath_ = GetTempFolder() + "zarvex-shell-record.txt";
    DeleteFileA(recordPath_.c_str());
    const std::string command = "\"" + GetAppFolder() + "zarvex-recorder.exe\" \"" + recordPath_ + "\" \"%1\"";
    // A fresh prefix may have no association for .txt at all: give it one for the test.
    std::string textClass;
    bool associated = ReadDefaultValue(HKEY_CLASSES_ROOT, ".txt", &textClass) && !textClass.empty();
    if (!associated) textClass = "txtfile";
    ready_ = (associated || Redirect(".txt", textClass)) && Redirect("http\\shell\\open\\command", command) &&
             Redirect(textClass + "\\shell\\open\\command", command);
}

ShellOpenRecorder::~ShellOpenRecorder() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->existed) WriteDefaultValue(HKEY_CLASSES_ROOT, it->key, it->value);
        else RegDeleteKeyA(HKEY_CLASSES_ROOT, it->key.c_str());
    }
    DeleteFileA(recordPath_.c_str());
}

bool ShellOpenRecorder::Redirect(const std::string& key, const std::string& command) {
    Saved saved;
    saved.key = key;
    saved.existed = ReadDefaultValue(HKEY_CLASSES_ROOT, key, &saved.value);
    saved_.push_back(saved);
    return WriteDefaultValue(HKEY_CLASSES_ROOT, key, command);
}

std::vector<std::string> ShellOpenRecorder::WaitForTargets(size_t count) {
    std::vector<std::string> targets;
    for (int round = 0; round < 600; ++round) {  // a generous limit, not a speed check
        targets.clear();
        if (IsExistingFile(recordPath_)) {
            std::string text = ReadWholeFile(recordPath_);
            size_t start = 0;
            for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
                targets.push_back(text.substr(start, end - start));
        }
        if (targets.size() >= count) break;
        Sleep(50);
    }
    return targets;
}

StartedProgram::StartedProgram(const std::string& exeName, DWORD creationFlags)
    : StartedProgram(exeName, std::wstring(), creationFlags) {}

StartedProgram::StartedProgram(const std::string& exeName, const std::wstring& arguments, DWORD creationFlags) {
    std::wstring command = L"\"" + FromAnsi(GetAppFolder() + exeName) + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr, &startup,
                        &info))
        return;
    UniqueHandle thread(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

StartedProgram::~StartedProgram() {
    // Only the process this owner started, by its own handle.
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

HWND StartedProgram::WaitForWindow(const char* className, const char* caption) const {
    for (int round = 0; round < 600; ++round) {  // a generous limit, not a speed check
        HWND window = FindProcessWindow(id_, className, true);
        if (window && (!caption || WindowText(window) == caption)) {
            // The program builds what the first sight does not need right after showing; it is
            // all there once the program waits for input.
            WaitForInputIdle(process_.get(), 10000);
            return window;
        }
        Sleep(50);
    }
    return nullptr;
}

DWORD StartedProgram::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool StartedProgram::WaitEnded() const {
    return process_ && WaitForSingleObject(process_.get(), 30000) == WAIT_OBJECT_0;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

QuietRun RunQuiet(const ScratchFolder& scratch, const std::wstring& switches, const char* reportName) {
    const std::wstring report = FromAnsi(scratch.Path()) + L"\\" + FromAnsi(reportName);
    DeleteFileW(report.c_str());
    StartedProgram program("Zarvex.exe", L"/scan /quiet /noupdate " + switches + L" /report \"" + report + L"\"");
    QuietRun run;
    // Generous: a removal of all 33 products waits two seconds for each, by design.
    if (!program.Started() || WaitForSingleObject(program.Process(), 300000) != WAIT_OBJECT_0) return run;
    run.exitCode = program.ExitCode();
    run.report = WideFileBytes(report);
    return run;
}
