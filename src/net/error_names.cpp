#include "net/iehttp.h"

namespace {
struct ErrorNameRow {
    int code;
    const wchar_t* text;
};

constexpr ErrorNameRow kErrorNames[] = {
    {12001, L"(Out of handles)"},
    {12002, L"(Timeout)"},
    {12004, L"(Internal Error)"},
    {12005, L"(Invalid URL)"},
    {12006, L"(Unrecognized Scheme)"},
    {12007, L"(Service Name Not Resolved)"},
    {12008, L"(Protocol Not Found)"},
    {12013, L"(Incorrect User Name)"},
    {12014, L"(Incorrect Password)"},
    {12015, L"(Login Failure)"},
    {12016, L"(Invalid Operation)"},
    {12017, L"(Operation Canceled)"},
    {12020, L"(Not Proxy Request)"},
    {12023, L"(No Direct Access)"},
    {12026, L"(Request Pending)"},
    {12027, L"(Incorrect Format)"},
    {12028, L"(Item not found)"},
    {12029, L"Site is currently offline and cannot check for an update of the software at the moment."},
    {12030, L"(Connection Aborted)"},
    {12031, L"(Connection Reset)"},
    {12033, L"(Invalid Proxy Request)"},
    {12034, L"(Need UI)"},
    {12035, L"(Sec Cert Date Invalid)"},
    {12038, L"(Sec Cert CN Invalid)"},
    {12044, L"(Client Auth Cert Needed)"},
    {12045, L"(Invalid CA Cert)"},
    {12046, L"(Client Auth Not Setup)"},
    {12150, L"(HTTP Header Not Found)"},
    {12152, L"(Invalid HTTP Server Response)"},
    {12153, L"(Invalid HTTP Header)"},
    {12154, L"(Invalid Query Request)"},
    {12156, L"(Redirect Failed)"},
    {12159, L"(TCP/IP not installed)"},
};
}  // namespace

std::wstring TIEHTTP::ErrorName(int code) {
    for (const auto& row : kErrorNames)
        if (row.code == code) return row.text;
    return L"(Unknown error # " + std::to_wstring(code) + L")";
}
