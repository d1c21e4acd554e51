#pragma once
#include <string>

// Reads a whole file as one 8-bit text, bytes as they are, letting others read and write it
// meanwhile. Throws Exception("Cannot open file <path>") when it cannot be opened, and
// Exception("Cannot read file <path>") when a read fails part-way: never a shorter text.
std::string ReadWholeFile(const std::string& path);
// True when the path names an existing file (not a folder).
bool IsExistingFile(const std::string& path);
bool IsExistingFile(const std::wstring& path);
// True when the path names an existing folder.
bool IsExistingFolder(const std::wstring& path);
