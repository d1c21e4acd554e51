#include "scan/scan_report.h"

#include <lmcons.h>

#include <cstdio>

#include "catalogue/catalogue_identity.h"
#include "system/text_codes.h"
#include "system/user_hives.h"

namespace {

std::wstring Joined(const std::vector<std::wstring>& items) {
    if (items.empty()) return L"none";
    std::wstring text;
    for (const std::wstring& item : items) text += (text.empty() ? L"" : L", ") + item;
    return text;
}

std::wstring TimeText(const SYSTEMTIME& t, int offsetMinutes) {
    wchar_t text[64];
    int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    swprintf(text, 64, L"%04u-%02u-%02u %02u:%02u:%02u %lc%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, offsetMinutes < 0 ? L'-' : L'+', offset / 60, offset % 60);
    return text;
}

}  // namespace

// Every text from outside keeps to one line: an argument or an error text holding CR LF, or any
// other break or control character, must not write a line of its own (an "Exit code: 0", say).
std::wstring OneLine(std::wstring text) {
    for (wchar_t& c : text)
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) c = L' ';
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

ScanReport NewScanReport() {
    ScanReport report;
    GetLocalTime(&report.localTime);
    GetSystemTime(&report.startedUtc);
    report.endedUtc = report.startedUtc;
    report.catalogue = CatalogueIdentity();
    TIME_ZONE_INFORMATION zone{};
    DWORD which = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    else if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    report.utcOffsetMinutes = which == TIME_ZONE_ID_INVALID ? 0 : -bias;
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(computer, &size)) report.computer = computer;
    wchar_t user[UNLEN + 1] = {};
    size = UNLEN + 1;
    if (GetUserNameW(user, &size)) report.user = user;
    return report;
}

std::wstring ResultRowLine(const std::wstring& label, const std::wstring& status) { return label + L"\t" + status; }

const wchar_t* ObjectKindText(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Process: return L"process";
        case ObjectKind::File: return L"file";
        case ObjectKind::Folder: return L"folder";
        case ObjectKind::Key: return L"key";
        case ObjectKind::Value: return L"value";
        case ObjectKind::Program: return L"program";
        case ObjectKind::RecycleBin: return L"recycle bin";
    }
    return L"";
}

const wchar_t* OutcomeText(ObjectKind kind, Outcome outcome) {
    switch (outcome) {
        case Outcome::Planned: return L"planned";
        case Outcome::NotFound: return L"not found";
        case Outcome::Refused: return L"refused";
        case Outcome::Failed: return L"failed";
        case Outcome::Done: break;
    }
    switch (kind) {
        case ObjectKind::Process: return L"ended";
        case ObjectKind::Program: return L"started";
        case ObjectKind::RecycleBin: return L"emptied";
        default: return L"deleted";
    }
}

std::wstring SectionHeading(const ScanSection& section) {
    const wchar_t* kind = section.kind == ScanSection::Kind::Option  ? L"Option: "
                          : section.kind == ScanSection::Kind::Sweep ? L"Sweep: "
                                                                     : L"Product: ";
    return kind + FromAnsi(section.name);
}

std::wstring ObjectText(const ActedObject& object) {
    if (object.kind == ObjectKind::Value) return object.path + L"\\" + object.name;
    if (object.kind != ObjectKind::Process || object.processId == 0)
        return object.kind == ObjectKind::Process ? object.name : object.path;
    const std::wstring named = object.name + L", id " + std::to_wstring(object.processId);
    return object.path.empty() ? named : named + L", " + object.path;  // a path that could not be read
}

std::wstring ObjectPlaceText(const ActedObject& object, const std::wstring& runningUserSid) {
    std::wstring text;
    if (!object.userSid.empty() && object.userSid != runningUserSid)
        text = L"user " + object.userName + L" (" + object.userSid + L")";
    if (!object.view.empty()) text += (text.empty() ? L"" : L", ") + object.view + L" view";
    return text;
}

namespace {

std::wstring ObjectLine(const ActedObject& object, const std::wstring& runningUserSid) {
    std::wstring outcome = OutcomeText(object.kind, object.outcome);
    if (!object.reason.empty()) outcome += L": " + object.reason;
    std::wstring line = L"\t" + std::wstring(ObjectKindText(object.kind)) + L"\t" + OneLine(ObjectText(object)) +
                        L"\t" + OneLine(outcome);
    const std::wstring place = ObjectPlaceText(object, runningUserSid);
    return place.empty() ? line : line + L"\t" + OneLine(place);
}

// Every object each section reached: a plan under /detect, else what was done.
void AddObjectLines(const ScanReport& report, std::vector<std::wstring>& lines) {
    lines.push_back(report.detectOnly ? L"Plan:" : L"Record:");
    const std::wstring runningUserSid = RunningUserSid();
    for (const ScanSection& section : report.sections) {
        if (section.kind == ScanSection::Kind::Product && !section.found) continue;
        lines.push_back(SectionHeading(section));
        for (const ActedObject& object : section.objects) lines.push_back(ObjectLine(object, runningUserSid));
    }
}

}  // namespace

std::string ScanReportText(const ScanReport& report) {
    std::vector<std::wstring> lines;
    lines.push_back(FromAnsi("Zarvex " ZARVEX_VERSION_TEXT " report"));
    lines.push_back(L"Date: " + TimeText(report.localTime, report.utcOffsetMinutes));
    lines.push_back(L"Computer: " + OneLine(report.computer));
    lines.push_back(L"User: " + OneLine(report.user));
    lines.push_back(L"Switches: " + OneLine(report.switches));
    lines.push_back(L"Catalogue: " + FromAnsi(report.catalogue));
    if (report.scanned) {
        lines.push_back(report.detectOnly ? L"Mode: detect only, nothing was changed" : L"Mode: removal");
        lines.push_back(L"Options: " + Joined(report.options));
        lines.push_back(L"Products: " + (report.allProducts ? std::wstring(L"all") : Joined(report.products)));
        lines.push_back(report.everyUser ? L"Users: every user profile (elevated)"
                                         : L"Users: the running user only (not elevated)");
        // Only where /allusers asked: a report without it reads as before.
        if (report.cleanEveryUserAsked)
            lines.push_back(report.cleanedEveryUser ? L"Cleaning: every user profile (/allusers)"
                                                    : L"Cleaning: the running user only (not elevated)");
        lines.push_back(L"Results:");
        for (const auto& [label, status] : report.rows) lines.push_back(ResultRowLine(OneLine(label), OneLine(status)));
        if (!report.refusals.empty()) {
            lines.push_back(L"Refused:");
            for (const auto& [label, status] : report.refusals)
                lines.push_back(ResultRowLine(OneLine(label), OneLine(status)));
        }
        AddObjectLines(report, lines);
    } else {
        lines.push_back(L"No scan ran.");
    }
    for (const std::wstring& notice : report.notices) lines.push_back(L"Error: " + OneLine(notice));
    if (!report.error.empty()) lines.push_back(L"Error: " + OneLine(report.error));
    if (!report.updateCheck.empty()) lines.push_back(OneLine(report.updateCheck));
    lines.push_back(L"Exit code: " + std::to_wstring(report.exitCode));
    std::string text;
    for (const std::wstring& line : lines) text += ToUtf8(line) + "\r\n";
    return text;
}

std::string ScanReportBytes(const ScanReport& report) {
    return report.json ? ScanReportJson(report) : ScanReportText(report);
}
