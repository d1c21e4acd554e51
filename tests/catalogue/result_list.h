#pragma once
// A hidden window with a two-column report list view that the scan's rows go to while it lives.
#include <windows.h>

#include "support/list_rows.h"

class ResultListWindow {
public:
    ResultListWindow();
    ~ResultListWindow();
    ResultListWindow(const ResultListWindow&) = delete;
    ResultListWindow& operator=(const ResultListWindow&) = delete;

    bool Created() const { return list_ != nullptr; }
    // Each row's caption and status, in list order.
    ListRows Rows() const;

private:
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};
