#pragma once
#include <string>
#include <vector>

// A fresh, empty folder of the test's own under the user's Temp folder; removed with its
// contents by the destructor.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Writes the bytes to the file, creating or replacing it. True on success. Names in the code
// page are widened by the stored-text rule; the wide forms take any name. Nothing here follows a
// link: files are made and read by name only where the test knows the name is a real file.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
bool WriteWideFile(const std::wstring& path, const std::string& bytes);
bool WideFileExists(const std::wstring& path);
bool WideFolderExists(const std::wstring& path);
// The file's bytes (the first 256), or "<missing>".
std::string WideFileText(const std::wstring& path);
// All of the file's bytes; empty when it cannot be opened, and then *present, when given, is false.
std::string WideFileBytes(const std::wstring& path, bool* present = nullptr);
// The names of the entries in a folder, without "." and "..".
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// Removes a folder tree; refuses anything that is not an absolute path below C:\.
void RemoveTree(const std::string& path);
