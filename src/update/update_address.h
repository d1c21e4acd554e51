#pragma once
// SignatureText of the version file's address (the ZARVEX_UPDATE_URL build setting).
const char* VersionServerAddress();
