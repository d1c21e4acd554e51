#include "update/update_address.h"

#include "system/signature.h"
#include "zarvex_build_settings.h"  // generated: ZARVEX_UPDATE_URL_PLAIN

const char* VersionServerAddress() { return SIG(ZARVEX_UPDATE_URL_PLAIN); }
