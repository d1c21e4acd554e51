// Reads windows as a screen reader's tools do, from a process of its own: the system's
// accessibility interface (oleacc) for each window's client object. Writes one line per window
// to the file named first: the window in hex, a tab, its role, a tab, its state, a tab, its name.
//   zarvex-accessible-names <out file> <window in hex>...
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// IAccessible's interface id, spelt out: MinGW's import library resolves the IID_IAccessible symbol
// to a function thunk, not to the id.
constexpr IID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string Utf8(const wchar_t* text, UINT length) {
    if (!text || length == 0) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Describe(HWND window) {
    IAccessible* object = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                                     reinterpret_cast<void**>(&object));
    if (FAILED(found) || !object) return "-1\t" + std::to_string(found) + "\t";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    long role = -1;
    VARIANT roleValue{};
    if (SUCCEEDED(object->get_accRole(self, &roleValue)) && roleValue.vt == VT_I4) role = roleValue.lVal;
    VariantClear(&roleValue);
    long state = 0;
    VARIANT stateValue{};
    if (SUCCEEDED(object->get_accState(self, &stateValue)) && stateValue.vt == VT_I4) state = stateValue.lVal;
    VariantClear(&stateValue);
    BSTR name = nullptr;
    std::string text;
    if (SUCCEEDED(object->get_accName(self, &name)) && name) text = Utf8(name, SysStringLen(name));
    SysFreeString(name);
    object->Release();
    // One line per window: a name never breaks it.
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return std::to_string(role) + "\t" + std::to_string(state) + "\t" + text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string out;
    for (int i = 2; i < argc; ++i) {
        HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoull(argv[i], nullptr, 16)));
        out += std::string(argv[i]) + "\t" + Describe(window) + "\n";
    }
    CoUninitialize();
    FILE* file = std::fopen(argv[1], "wb");
    if (!file) return 1;
    std::fwrite(out.data(), 1, out.size(), file);
    return std::fclose(file) == 0 ? 0 : 1;
}
