#include "update/update_check.h"

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "net/iehttp.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/signature.h"
#include "system/text_codes.h"
#include "update/update_address.h"

bool FindVersion(const std::string& text, std::string& version) {
    static const std::string marker = "version=";
    // The key only where a line starts, after any blanks (and, on the first line, the byte order
    // mark an editor saved): "minversion=2.0" is another key.
    auto startsLine = [&text](std::size_t at) {
        while (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) --at;
        if (at == 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) return true;
        return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
    };
    std::size_t at = text.find(marker);
    while (at != std::string::npos && !startsLine(at)) at = text.find(marker, at + 1);
    if (at == std::string::npos) return false;
    // The whole version: a cut to a fixed length would take 1.0.10 and 1.0.11 for the same.
    std::size_t start = at + marker.size();
    std::size_t end = text.find_first_of("\r\n", start);
    version = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // Blanks an editor left at the end of the line are not part of it.
    version.erase(version.find_last_not_of(" \t") + 1);
    return true;
}

namespace {
std::string LocalVersionPath() { return GetAppFolder() + "Version.ini"; }
}  // namespace

std::string ReadLocalVersion() {
    std::string path = LocalVersionPath();
    std::string text = IsExistingFile(path) ? ReadWholeFile(path) : std::string();
    std::string version;
    return FindVersion(text, version) ? version : std::string();
}

bool ReadVersionNumber(const std::string& text, std::vector<uint32_t>& parts) {
    constexpr size_t kMostParts = 16, kMostDigits = 9;
    parts.clear();
    size_t at = 0;
    for (;;) {
        size_t digits = 0;
        uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < kMostDigits) {
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || parts.size() == kMostParts) break;
        parts.push_back(value);
        if (at == text.size()) return true;
        if (text[at] != '.') break;
        ++at;
    }
    parts.clear();
    return false;
}

int CompareVersions(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
        const uint32_t left = i < a.size() ? a[i] : 0, right = i < b.size() ? b[i] : 0;
        if (left != right) return left < right ? -1 : 1;
    }
    return 0;
}

namespace {
// Which of the two versions could not be read, if either; both are read into the parts.
std::string WhyNotComparable(TIEHTTP& http, std::vector<uint32_t>& server, std::vector<uint32_t>& local) {
    // Unresolvable hosts and stalled servers end without an error and without an answer.
    const int status = http.HttpStatus();
    if (status == 0 || http.Status() != TIEHTTP::kStatusNormal) return "no answer from the update server";
    // An error page or a portal's page is no version file, whatever it holds.
    if (status < 200 || status > 299)
        return "the update server answered " + std::to_string(status) + " instead of the version file";
    // Line by line, as the marker never spans lines: no copy of the whole answer.
    std::string text;
    bool found = false;
    for (const std::string& line : http.ResponseLines())
        if ((found = FindVersion(line, text))) break;
    if (!found || !ReadVersionNumber(text, server)) return "the update server's file names no version number";
    if (!IsExistingFile(LocalVersionPath())) return "no Version.ini beside the program";
    if (!ReadVersionNumber(ReadLocalVersion(), local)) return "Version.ini names no version number";
    return std::string();
}
}  // namespace

// Any other failure of the request raises and becomes the error outcome; the local file is then
// not read.
UpdateOutcome RunUpdateCheck(TIEHTTP& http) {
    UpdateOutcome outcome;
    try {
        http.ExecuteURL(FromAnsi(DecodeSignature(VersionServerAddress())));
        std::vector<uint32_t> server, local;
        outcome.note = WhyNotComparable(http, server, local);
        // A server rolled back to an older version offers nothing.
        if (outcome.note.empty() && CompareVersions(server, local) > 0) outcome.kind = UpdateOutcome::Kind::Offer;
    } catch (const std::exception& error) {
        outcome = {UpdateOutcome::Kind::Error, error.what(), {}};
    } catch (...) {
        outcome = {UpdateOutcome::Kind::Error, "Unexpected error", {}};
    }
    return outcome;
}

std::string UpdateNoteLine(const std::string& note) { return "Update check: " + note; }
