#pragma once
// Resource numbers shared by the resource script and the code.
#define IDI_ZARVEX 1
#define IDR_BANNER 101
#define IDR_SCAN_BUTTON 102
#define IDR_ABOUT_BACKGROUND 103
#define IDI_TAB_SCAN 201
#define IDI_TAB_SETTINGS 202
#define IDI_TAB_ABOUT 203
