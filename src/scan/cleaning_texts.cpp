#include "scan/cleaning_texts.h"

#include "system/signature.h"

const char* BhoKeyText() {
    return SIG("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects");
}

const char* MuiCacheKeyText() { return SIG("Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache"); }

const char* WindowsTempPartText() { return SIG("\\Temp"); }
