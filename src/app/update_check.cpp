#include "app/update_check.h"

#include <windows.h>

#include <exception>

#include "system/files.h"
#include "app/links.h"
#include "app/update_address.h"
#include "net/iehttp.h"
#include "net/text_support.h"
#include "system/folders.h"
#include "system/signature.h"

bool FindVersion(const std::string& text, std::string& version) {
    static const std::string marker = "version=";
    std::size_t at = text.find(marker);
    if (at == std::string::npos) return false;
    // The whole version: a cut to a fixed length would take 1.0.10 and 1.0.11 for the same.
    std::size_t start = at + marker.size();
    std::size_t end = text.find_first_of("\r\n", start);
    version = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // Blanks an editor left at the end of the line are not part of it.
    version.erase(version.find_last_not_of(" \t") + 1);
    return true;
}

std::string ReadLocalVersion() {
    std::string path = GetAppFolder() + "Version.ini";
    std::string text = IsExistingFile(path) ? ReadWholeFile(path) : std::string();
    std::string version;
    return FindVersion(text, version) ? version : std::string();
}

void OfferNewVersion() {
    int answer = MessageBoxA(nullptr,
                             "A new version of Zarvex is available for download. Do you want to go to the home "
                             "page to download the new version ?\r\n\r\n",
                             "New version available", MB_YESNO | MB_ICONINFORMATION);
    if (answer == IDYES) OpenHomePage();
}

// Unresolvable hosts and stalled servers end without an error and leave no lines, so nothing
// is said; any other failure of the request raises and becomes the error outcome.
UpdateOutcome RunUpdateCheck(TIEHTTP& http) {
    UpdateOutcome outcome;
    try {
        http.ExecuteURL(FromAnsi(DecodeSignature(VersionServerAddress())));
        // Line by line, as the marker never spans lines: no copy of the whole answer.
        std::string serverVersion;
        bool found = false;
        for (const std::string& line : http.ResponseLines())
            if ((found = FindVersion(line, serverVersion))) break;
        if (found && serverVersion != ReadLocalVersion()) outcome.kind = UpdateOutcome::Kind::Offer;
    } catch (const std::exception& error) {
        outcome = {UpdateOutcome::Kind::Error, error.what()};
    } catch (...) {
        outcome = {UpdateOutcome::Kind::Error, "Unexpected error"};
    }
    return outcome;
}
