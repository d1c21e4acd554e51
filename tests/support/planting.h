#pragma once
// Plants the traces a product leaves (folders with files, files, running programs, keys, values)
// and takes away everything it planted when it goes, also after a failed assertion. Only what it
// created is removed: folders and keys from the topmost one it had to create.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/test_process.h"

class Planting {
public:
    Planting() = default;
    ~Planting();
    Planting(const Planting&) = delete;
    Planting& operator=(const Planting&) = delete;

    // The folder (and its parents) with two ordinary files in it.
    void Folder(const std::string& path);
    // An empty folder (and its parents).
    void BareFolder(const std::string& path);
    void File(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
    // A running copy of the waiting helper, saved as folder\exeName.
    const WaiterProcess& Process(const std::string& folder, const std::string& exeName);
    // The key with a subkey and a value.
    void Key(HKEY root, const std::string& path);
    // A string value addressed as "key\name"; the key is created when missing.
    void Value(HKEY root, const std::string& valuePath, const std::string& data = "C:\\planted.exe");

private:
    void NoteCreatedFolders(const std::string& path);
    void NoteCreatedKeys(HKEY root, const std::string& path);

    std::vector<std::unique_ptr<WaiterProcess>> processes_;
    std::vector<std::string> folders_;
    std::vector<std::string> files_;
    std::vector<std::pair<HKEY, std::string>> keys_;
    std::vector<std::pair<HKEY, std::string>> values_;
};

// Splits "key\name" at the last backslash.
std::pair<std::string, std::string> SplitValuePath(const std::string& valuePath);
// The parent of a folder or key path ("" when it has none).
std::string ParentPath(const std::string& path);
