#include "system/registro.h"

#include <winternl.h>

#include <algorithm>
#include <vector>

#include "system/error_text.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

const char kRefusedKeyLinkInPath[] = "a registry link stands in its path";
const char kRefusedKeyUnderRoot[] = "a key straight under a root";
const char kRefusedNoKey[] = "no key named";
const char kRefusedOtherProgram[] = "its data does not name the product's program, folder or files";

namespace {

constexpr DWORD kNameBufferChars = 1024;
// Every key is opened as itself: a registry link as the link, never the key it points to.
constexpr DWORD kOpenKeyItself = REG_OPTION_OPEN_LINK;

// An opened key. An empty path may hand back the root itself, which is not ours to close.
struct OpenedKey {
    HKEY handle = nullptr;
    UniqueKey owner;
};

LONG OpenKeyStatus(HKEY parent, const std::wstring& path, REGSAM access, OpenedKey& key) {
    HKEY raw = nullptr;
    const LONG status =
        RegOpenKeyExW(parent, path.c_str(), kOpenKeyItself, access | RegistryPlaceScope::View(), &raw);
    if (status != ERROR_SUCCESS) return status;
    key.handle = raw;
    if (raw != parent) key.owner.reset(raw);
    return ERROR_SUCCESS;
}

bool OpenKey(HKEY parent, const std::wstring& path, REGSAM access, OpenedKey& key) {
    return OpenKeyStatus(parent, path, access, key) == ERROR_SUCCESS;
}

// The functions of ntdll that the registry API has no counterpart for, looked up once.
struct NtRegistry {
    using OpenKeyFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, OBJECT_ATTRIBUTES*);
    using QueryKeyFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    using DeleteKeyFn = LONG(NTAPI*)(HANDLE);
    using StatusToErrorFn = ULONG(NTAPI*)(LONG);
    static constexpr int kKeyNameInformation = 3;

    NtRegistry() {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        openKey = reinterpret_cast<OpenKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtOpenKey")));
        queryKey = reinterpret_cast<QueryKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryKey")));
        deleteKey = reinterpret_cast<DeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
        toError = reinterpret_cast<StatusToErrorFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    }
    LONG Error(LONG status) const {
        if (status >= 0) return ERROR_SUCCESS;
        return toError ? static_cast<LONG>(toError(status)) : ERROR_ACCESS_DENIED;
    }

    OpenKeyFn openKey = nullptr;
    QueryKeyFn queryKey = nullptr;
    DeleteKeyFn deleteKey = nullptr;
    StatusToErrorFn toError = nullptr;
};

const NtRegistry& Nt() {
    static const NtRegistry nt;
    return nt;
}

// The key's full name as the system knows it ("\REGISTRY\USER\..."); empty when it cannot be read.
std::wstring FullKeyName(HKEY key) {
    if (!Nt().queryKey) return {};
    std::vector<ULONG> buffer(1024);
    ULONG size = 0;
    if (Nt().queryKey(key, NtRegistry::kKeyNameInformation, buffer.data(),
                      static_cast<ULONG>(buffer.size() * sizeof(ULONG)), &size) < 0)
        return {};
    const ULONG length = buffer[0];
    if (length > (buffer.size() - 1) * sizeof(ULONG)) return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(&buffer[1]), length / sizeof(wchar_t));
}

// A key is a link by what it is, not by what it holds (any key can hold a value of any name): the
// part opened as itself and the part opened as the system follows it are two different keys. Where
// the two cannot be told apart, the part counts as a link.
bool IsLinkKey(HKEY parent, const std::wstring& part, HKEY itself) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(parent, part.c_str(), 0, KEY_QUERY_VALUE | RegistryPlaceScope::View(), &raw) != ERROR_SUCCESS)
        return true;
    UniqueKey followed(raw);
    const std::wstring own = FullKeyName(itself);
    return own.empty() || CompareStringOrdinal(own.c_str(), static_cast<int>(own.size()), FullKeyName(raw).c_str(), -1,
                                               TRUE) != CSTR_EQUAL;
}

// Opening a whole path as itself opens only its last part as itself: the system follows a link
// before it. So the path is opened a part at a time, each relative to the one before (WOW64
// redirects such an open as it does the whole path), and a part before the last that is a link
// refuses the open. An empty path is the root itself.
// ERROR_SUCCESS, the system's error, or (with refusal set) ERROR_ACCESS_DENIED.
LONG OpenKeyByParts(HKEY root, const std::wstring& path, REGSAM access, OpenedKey& key, std::string& refusal) {
    if (path.empty()) return OpenKeyStatus(root, path, access, key);
    OpenedKey current;
    HKEY parent = root;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(L'\\', start);
        const std::wstring part = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        const bool last = end == std::wstring::npos;
        OpenedKey next;
        if (part.empty()) return ERROR_INVALID_NAME;
        const LONG status = OpenKeyStatus(parent, part, last ? access : KEY_READ, next);
        if (status != ERROR_SUCCESS) return status;
        if (next.handle == parent) return ERROR_INVALID_NAME;
        if (!last && IsLinkKey(parent, part, next.handle)) {
            refusal = kRefusedKeyLinkInPath;
            return ERROR_ACCESS_DENIED;
        }
        current = std::move(next);
        parent = current.handle;
        if (last) break;
        start = end + 1;
    }
    key = std::move(current);
    return ERROR_SUCCESS;
}

// Splits "key\value" at its last backslash; false when there is none. Not the file paths' rule
// (system/wide_paths.h): in a registry name '/' is a character like any other.
bool SplitValuePath(const std::string& valuePath, std::wstring& keyPath, std::wstring& valueName) {
    int p = LastCharPos('\\', valuePath);
    if (p == 0) return false;
    keyPath = FromAnsi(valuePath.substr(0, p - 1));
    valueName = FromAnsi(valuePath.substr(p));
    return true;
}

// Deletes the very key the handle was opened on, link or not; the by-name deletions of the
// registry API would open the name again and follow a link. ERROR_SUCCESS or the Win32 error.
LONG DeleteOpenedKey(HKEY key) {
    if (!Nt().deleteKey) return ERROR_PROC_NOT_FOUND;
    return Nt().Error(Nt().deleteKey(key));
}

// A subkey by its exact listed name, as itself: the name is counted, so one that holds a NUL (the
// system allows it; the registry API's names end there) is opened whole, never cut to another key.
LONG OpenSubkeyItself(HKEY parent, const std::wstring& name, ACCESS_MASK access, OpenedKey& key) {
    if (!Nt().openKey) return ERROR_PROC_NOT_FOUND;
    if (name.empty() || name.size() * sizeof(wchar_t) > 0xFFFE) return ERROR_INVALID_NAME;
    std::wstring copy = name;
    UNICODE_STRING counted{static_cast<USHORT>(copy.size() * sizeof(wchar_t)),
                           static_cast<USHORT>(copy.size() * sizeof(wchar_t)), copy.data()};
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof(attributes);
    attributes.RootDirectory = parent;
    attributes.ObjectName = &counted;
    attributes.Attributes = OBJ_CASE_INSENSITIVE | OBJ_OPENLINK;
    HANDLE raw = nullptr;
    // Under WOW64 each open is redirected by its own view flag, a handle's view is not inherited:
    // a subkey of a 64-bit view key opened without it would be the 32-bit one.
    const ACCESS_MASK view = RunsUnderWow64() ? RegistryPlaceScope::View() : 0;
    const LONG status = Nt().Error(Nt().openKey(&raw, access | view, &attributes));
    if (status != ERROR_SUCCESS) return status;
    key.handle = static_cast<HKEY>(raw);
    key.owner.reset(key.handle);
    return ERROR_SUCCESS;
}

// The key's subkeys, each opened as itself relative to its parent's handle, deepest first, then
// the key. A link subkey has no subkeys of its own and goes as a link.
LONG DeleteTree(HKEY key) {
    // On the heap: a tree of the registry's 512 levels must not take a thread's stack.
    std::vector<wchar_t> name(kNameBufferChars);
    for (;;) {
        DWORD size = kNameBufferChars;
        LONG status = RegEnumKeyExW(key, 0, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return DeleteOpenedKey(key);
        // Index 0 every time: deleting a subkey moves the next one to the front.
        if (status != ERROR_SUCCESS) return status;
        OpenedKey sub;
        status = OpenSubkeyItself(key, std::wstring(name.data(), size), KEY_ENUMERATE_SUB_KEYS | DELETE, sub);
        if (status != ERROR_SUCCESS) return status;
        if (sub.handle == key) return ERROR_ACCESS_DENIED;
        status = DeleteTree(sub.handle);
        if (status != ERROR_SUCCESS) return status;
    }
}

bool IsMissing(LONG status) { return IsMissingError(static_cast<DWORD>(status)); }

// An object that could not be looked at: not there, or the system's error.
void RecordUnreadable(const Acting& acting, const ActedObject& object, LONG status) {
    if (IsMissing(status)) acting.Record(object, Outcome::NotFound);
    else acting.Record(object, Outcome::Failed, SystemErrorReason(static_cast<DWORD>(status)));
}

RegistryDeletion Refuse(const Acting& acting, const ActedObject& object, const char* reason) {
    acting.Record(object, Outcome::Refused, FromAnsi(reason));
    return {false, reason};
}

}  // namespace

int LastCharPos(char c, const std::string& text) {
    for (std::size_t i = text.size(); i > 0; --i) {
        if (text[i - 1] == c) return static_cast<int>(i);
    }
    return 0;
}

bool RegKeyExists(HKEY root, const std::string& keyPath) {
    OpenedKey key;
    return OpenKey(root, FromAnsi(keyPath), KEY_READ, key);
}

bool RegValueExists(HKEY root, const std::string& valuePath) {
    std::wstring keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return false;
    OpenedKey key;
    if (!OpenKey(root, keyPath, KEY_READ, key)) return false;
    return RegQueryValueExW(key.handle, valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

RegistryDeletion DeleteRegistryValue(HKEY root, const std::string& valuePath) {
    std::wstring keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return {};
    OpenedKey key;
    std::string refusal;
    if (OpenKeyByParts(root, keyPath, KEY_SET_VALUE, key, refusal) != ERROR_SUCCESS) return {false, refusal};
    return {RegDeleteValueW(key.handle, valueName.c_str()) == ERROR_SUCCESS, {}};
}

RegistryDeletion DeleteRegistryKey(HKEY root, const std::string& keyPath, bool recursive) {
    // A key straight under a root (Software, say) is never ours to delete.
    if (keyPath.find('\\') == std::string::npos) return {};
    OpenedKey key;
    std::string refusal;
    if (OpenKeyByParts(root, FromAnsi(keyPath), KEY_ENUMERATE_SUB_KEYS | DELETE, key, refusal) != ERROR_SUCCESS)
        return {false, refusal};
    // The platform refuses to delete a key that still has subkeys.
    return {(recursive ? DeleteTree(key.handle) : DeleteOpenedKey(key.handle)) == ERROR_SUCCESS, {}};
}

namespace {
thread_local RegistryPlaceScope* t_place = nullptr;
}

RegistryPlaceScope::RegistryPlaceScope(REGSAM view, HKEY root, std::wstring name)
    : view_(view), root_(root), name_(std::move(name)), outer_(t_place) {
    t_place = this;
}

RegistryPlaceScope::~RegistryPlaceScope() { t_place = outer_; }

REGSAM RegistryPlaceScope::View() { return t_place ? t_place->view_ : 0; }

std::wstring RegistryPathText(HKEY root, const std::wstring& path) {
    if (t_place && t_place->root_ && root == t_place->root_)
        return path.empty() ? t_place->name_ : t_place->name_ + L"\\" + path;
    const wchar_t* name = root == HKEY_CURRENT_USER    ? L"HKCU"
                          : root == HKEY_LOCAL_MACHINE ? L"HKLM"
                          : root == HKEY_CLASSES_ROOT  ? L"HKCR"
                          : root == HKEY_USERS         ? L"HKU"
                                                       : L"?";
    return path.empty() ? std::wstring(name) : std::wstring(name) + L"\\" + path;
}

RegistryDeletion RemoveKeyTree(HKEY root, const std::string& keyPath, const Acting& acting) {
    const std::wstring path = FromAnsi(keyPath);
    const ActedObject object{ObjectKind::Key, Outcome::Planned, RegistryPathText(root, path)};
    OpenedKey key;
    if (LONG status = OpenKeyStatus(root, path, KEY_READ, key); status != ERROR_SUCCESS) {
        RecordUnreadable(acting, object, status);
        return {};
    }
    // A key straight under a root (Software, say) is never ours to delete.
    if (WithoutTrailingSeparators(path).find(L'\\') == std::wstring::npos || key.handle == root)
        return Refuse(acting, object, kRefusedKeyUnderRoot);
    // The plan opens it as the removal does, a part at a time.
    OpenedKey held;
    std::string refusal;
    const LONG status = OpenKeyByParts(root, path, KEY_ENUMERATE_SUB_KEYS | DELETE, held, refusal);
    if (!refusal.empty()) return Refuse(acting, object, kRefusedKeyLinkInPath);
    if (status != ERROR_SUCCESS) {
        RecordUnreadable(acting, object, status);
        return {};
    }
    return {acting.Perform(object, [&] { return static_cast<DWORD>(DeleteTree(held.handle)); }), {}};
}

namespace {

// A character that belongs to a file or folder name, so a name found next to one is only part of
// a longer name.
bool NameCharacter(wchar_t c) {
    return IsCharAlphaNumericW(c) || c == L'_' || c == L'-' || c == L'.';
}

// The value's data as text: a string's characters up to its end, NULs between strings as spaces;
// empty for data of any other type.
std::wstring DataText(HKEY key, const std::wstring& valueName) {
    DWORD type = REG_NONE, size = 0;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return {};
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    std::wstring text(data.data(), std::min<std::size_t>(size / sizeof(wchar_t), data.size()));
    for (wchar_t& c : text)
        if (c == L'\0') c = L' ';
    return text;
}

RegistryDeletion RemoveValueAt(HKEY root, const std::string& valuePath, const std::vector<std::wstring>* names,
                               const Acting& acting) {
    std::wstring keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName))
        return Refuse(acting, {ObjectKind::Value, Outcome::Planned, RegistryPathText(root, FromAnsi(valuePath))},
                      kRefusedNoKey);
    const ActedObject object{ObjectKind::Value, Outcome::Planned, RegistryPathText(root, keyPath), valueName};
    OpenedKey key;
    LONG status = OpenKeyStatus(root, keyPath, KEY_QUERY_VALUE, key);
    if (status == ERROR_SUCCESS) status = RegQueryValueExW(key.handle, valueName.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        RecordUnreadable(acting, object, status);
        return {};
    }
    OpenedKey held;
    std::string refusal;
    status = OpenKeyByParts(root, keyPath, KEY_SET_VALUE | (names ? KEY_QUERY_VALUE : 0), held, refusal);
    if (!refusal.empty()) return Refuse(acting, object, kRefusedKeyLinkInPath);
    if (status != ERROR_SUCCESS) {
        RecordUnreadable(acting, object, status);
        return {};
    }
    // Judged on the data of the key it is deleted from.
    if (names && !TextNamesAny(DataText(held.handle, valueName), *names))
        return Refuse(acting, object, kRefusedOtherProgram);
    return {acting.Perform(object, [&] { return static_cast<DWORD>(RegDeleteValueW(held.handle, valueName.c_str())); }),
            {}};
}

}  // namespace

bool TextNamesAny(const std::wstring& text, const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names) {
        if (name.empty() || name.size() > text.size()) continue;
        for (std::size_t at = 0; at + name.size() <= text.size(); ++at) {
            if (CompareStringOrdinal(text.c_str() + at, static_cast<int>(name.size()), name.c_str(),
                                     static_cast<int>(name.size()), TRUE) != CSTR_EQUAL)
                continue;
            const bool startsName = at == 0 || !NameCharacter(text[at - 1]);
            const bool endsName = at + name.size() == text.size() || !NameCharacter(text[at + name.size()]);
            if (startsName && endsName) return true;
        }
    }
    return false;
}

RegistryDeletion RemoveValuePath(HKEY root, const std::string& valuePath, const Acting& acting) {
    return RemoveValueAt(root, valuePath, nullptr, acting);
}

RegistryDeletion RemoveValueNaming(HKEY root, const std::string& valuePath, const std::vector<std::wstring>& names,
                                   const Acting& acting) {
    return RemoveValueAt(root, valuePath, &names, acting);
}

bool RegDeleteValuePath(HKEY root, const std::string& valuePath) {
    return DeleteRegistryValue(root, valuePath).deleted;
}

bool RegDeleteKeyTree(HKEY root, const std::string& keyPath, bool recursive) {
    return DeleteRegistryKey(root, keyPath, recursive).deleted;
}
