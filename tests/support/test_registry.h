#pragma once
#include <windows.h>
#include <string>

// Creates root\path (and its parents); true on success.
bool CreateKey(HKEY root, const std::string& path);
// Sets a string value (empty name = default value) on root\path, creating the key.
bool SetStringValue(HKEY root, const std::string& path, const std::string& name, const std::string& data);
bool KeyExists(HKEY root, const std::string& path);
bool ValueExists(HKEY root, const std::string& path, const std::string& name);
// Deletes root\path with its subkeys; refuses paths with fewer than two components.
void DeleteKeyTree(HKEY root, const std::string& path);
// A volatile registry link at root\path (its parents created) to the HKEY_LOCAL_MACHINE key
// machinePath; true on success.
bool CreateMachineLinkKey(HKEY root, const std::string& path, const std::string& machinePath);
