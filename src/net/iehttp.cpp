#include "net/iehttp.h"

#include "system/exception.h"

namespace {
const wchar_t kMultipartContentType[] =
    L"multipart/form-data; boundary=-----------------------------7cf87224d2020a";
const wchar_t kFormContentType[] = L"application/x-www-form-urlencoded";
constexpr DWORD kLibraryDefaultReceiveTimeout = 30000;
}  // namespace

TIEHTTP::TIEHTTP(TComponent* owner) : TComponent(owner) {
    SetRequestMethod(L"GET");
    SetMultipartPOST(false);
    // The library's stock receive time-out would cut a slow server before our own Timeout.
    DWORD receiveTimeout = 0;
    DWORD size = sizeof(receiveTimeout);
    if (InternetQueryOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeout, &size) &&
        receiveTimeout == kLibraryDefaultReceiveTimeout) {
        DWORD none = 0;
        InternetSetOptionW(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &none, sizeof(none));
    }
}

// A request's worker keeps only its own record, so nothing here waits for it.
TIEHTTP::~TIEHTTP() = default;

void TIEHTTP::RefuseWhileRunning() const {
    if (RequestInProgress_ != 0) throw Exception("http: Cannot change parameters while processing request");
}

void TIEHTTP::SetpostStr(const std::wstring& value) {
    RefuseWhileRunning();
    postStr_ = value;
}

void TIEHTTP::SetgetStr(const std::wstring& value) {
    RefuseWhileRunning();
    getStr_ = value;
}

void TIEHTTP::SetURL(const std::wstring& value) {
    URL_ = NormaliseURL(value);
    addressError_.clear();
    ParseURL(URL_, address_, RequestBody_, addressError_);
    if (!addressError_.empty()) ErrorText_ = addressError_;
    if (URL_.empty()) return;
    if (!UserName.empty()) {
        address_.userName = UserName;
        address_.password = Password;
    }
}

void TIEHTTP::SetRequestMethod(const std::wstring& value) {
    if (RequestInProgress_ != 0) throw Exception("Cannot change parameters while processing request");
    std::wstring method = UpperAscii(value);
    if (method != L"POST" && method != L"GET") throw Exception("Unsupported method. Allowed methods: GET, POST");
    RequestMethod_ = method;
    if (method == L"POST") ContentType_ = MultipartPOST_ ? kMultipartContentType : kFormContentType;
    else ContentType_.clear();
}

void TIEHTTP::SetMultipartPOST(bool value) {
    RefuseWhileRunning();
    MultipartPOST_ = value;
    SetRequestMethod(value ? std::wstring(L"POST") : RequestMethod_);
}

void TIEHTTP::AddVariable(const std::wstring& name, const std::wstring& value) {
    if (!MultipartPOST_) {
        ErrorText_ = L"http not in multipart mode";
        return;
    }
    ::AddVariable(MultipartVariables_, name, value);
}

int TIEHTTP::HeaderIndex(const std::string& name) const { return ::HeaderIndex(ResponseHeaders_, name); }

std::string TIEHTTP::HeaderValue(const std::string& name) const { return ::HeaderValue(ResponseHeaders_, name); }

void TIEHTTP::ExecuteURL(const std::wstring& address) {
    SetURL(address);
    Execute();
}
