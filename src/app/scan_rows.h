#pragma once
#include <windows.h>
#include <string>

// Findings of the running scan: set to 0 when a scan starts, raised for each product found
// and by the sweep for each of its files found.
extern int FoundCount;

// The result list that rows go to (ListView1 of the main window); null sends rows nowhere.
void SetResultList(HWND listView);
HWND GetResultList();
// Sets the list's single text colour to red, then appends the row.
void AddFoundRow(const std::string& caption, const std::string& status);
// Sets the list's single text colour to black, then appends the row.
void AddInfoRow(const std::string& caption, const std::string& status);
