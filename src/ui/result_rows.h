#pragma once
#include <windows.h>
#include <string>

// The result list that rows go to (ListView1 of the main window); null sends rows nowhere.
void SetResultList(HWND listView);
HWND GetResultList();
// Sets the list's single text colour to red, then appends the row.
void AddFoundRow(const std::string& caption, const std::string& status);
// Sets the list's single text colour to black, then appends the row.
void AddInfoRow(const std::string& caption, const std::string& status);
// The same with the caption as the system named it, which the code page may not spell.
void AddInfoRow(const std::wstring& caption, const std::string& status);
