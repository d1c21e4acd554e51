// zarvex-catalogue: prints every stored text of the program in plain text, in the notation of the
// product table, so that maintainers can read the catalogue back and the build can check it.
#include <cstdio>
#include <string>

#include "catalogue/catalogue_listing.h"
#include "scan/cleaning_texts.h"
#include "system/signature.h"
#include "update/update_address.h"

namespace {

void PrintCatalogue() {
    for (const std::string& line : CatalogueListing()) std::printf("%s\n", line.c_str());
}

void PrintOptions() {
    std::printf("option 1 \"Clear BHO (Browser Helper Objects)\" key HKLM \"%s\"\n",
                DecodeSignature(BhoKeyText()).c_str());
    std::printf("option 6 \"Clear Windows Temp Folder\" part WIN \"%s\"\n",
                DecodeSignature(WindowsTempPartText()).c_str());
    std::printf("option 7 \"Clear MUICache\" key HKCU \"%s\"\n", DecodeSignature(MuiCacheKeyText()).c_str());
}

}  // namespace

int main() {
    try {
        PrintCatalogue();
        PrintOptions();
        std::printf("update \"%s\"\n", DecodeSignature(VersionServerAddress()).c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zarvex-catalogue: %s\n", error.what());
        return 1;
    }
    return 0;
}
