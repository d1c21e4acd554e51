// Stands in for a browser or text viewer in the shell tests: appends the target it was asked
// to open, one line each, to the record file named first on its command line. Started without
// arguments it stands in for an uninstaller and only notes that it ran.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    // Started bare, as an uninstaller is: leaves "<its own path>.started" to say it ran.
    if (argc == 1) {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        HANDLE marker = CreateFileA((std::string(self) + ".started").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker == INVALID_HANDLE_VALUE) return 1;
        CloseHandle(marker);
        return 0;
    }
    if (argc < 3) return 2;
    std::string line = std::string(argv[2]) + "\r\n";
    // Several copies may start at once, and appends from two writers can land on the same
    // offset: one writer at a time, the others wait their turn.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 3000 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) return 1;
        if (file == INVALID_HANDLE_VALUE) Sleep(10);
    }
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
