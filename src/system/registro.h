#pragma once
#include <windows.h>
#include <string>

// 1-based position of the last occurrence of c in text; 0 when absent.
int LastCharPos(char c, const std::string& text);
bool RegKeyExists(HKEY root, const std::string& keyPath);
// valuePath is "key\value"; split at the last backslash; "key\" names the default value.
bool RegValueExists(HKEY root, const std::string& valuePath);
bool RegDeleteValuePath(HKEY root, const std::string& valuePath);
// Refuses a key directly under the root (no backslash in keyPath).
bool RegDeleteKeyTree(HKEY root, const std::string& keyPath, bool recursive);
