#pragma once
// The rows of a two-column report list view, as the scan fills the result list.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Each row's caption and status, in list order.
using ListRows = std::vector<std::pair<std::string, std::string>>;

ListRows ReadListRows(HWND list);
