#pragma once
// Stored texts of the cleaning options (SignatureText, decoded at each use).

// HKEY_LOCAL_MACHINE key that lists browser helper objects.
const char* BhoKeyText();
// HKEY_CURRENT_USER MUICache key.
const char* MuiCacheKeyText();
// The Windows Temp folder relative to the Windows folder, with its leading separator.
const char* WindowsTempPartText();
