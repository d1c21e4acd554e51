// Stands in for a browser or text viewer in the shell tests: appends the target it was asked
// to open, one line each, to the record file named first on its command line.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string line = std::string(argv[2]) + "\r\n";
    HANDLE file = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
