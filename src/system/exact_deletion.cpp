#include "system/exact_deletion.h"

#include <windows.h>

#include <vector>

#include "system/error_text.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

// The headers name these only for Windows 10 targets; the program asks for them at run time and
// takes a refusal as "not here".
#ifndef FILE_DISPOSITION_FLAG_DELETE
#define FILE_DISPOSITION_FLAG_DELETE 0x00000001
#endif
#ifndef FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE
#define FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE 0x00000010
#endif

const char kRefusedLinkInPath[] = "a link stands in its path";
const char kRefusedNotAbsolute[] = "not an absolute path";
const char kRefusedNotAFolder[] = "not a folder";
const char kRefusedDriveRoot[] = "a drive root";
const char kRefusedNotAFile[] = "a folder, not a file";
const char kRefusedReadOnly[] = "read-only";
const char kRefusedManyNames[] = "read-only with more than one name";

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Opens the entry itself: a reparse point as such, a folder as well as a file.
constexpr DWORD kOpenEntryItself = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
// FileDispositionInfoEx and FILE_DISPOSITION_INFO_EX.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
struct DispositionInfoEx {
    DWORD Flags;
};

UniqueHandle Open(const std::wstring& path, DWORD access, DWORD share, DWORD flags) {
    return UniqueHandle(ValidOrNull(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr)));
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\x" -> "\\server\x".
std::wstring WithoutVerbatimPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

// A 32-bit program on 64-bit Windows is told the native system folder's name for a file it can
// reach only as Sysnative (that name opens the 32-bit folder): the name that reaches it is kept, so
// that a real path compared is the path then opened.
std::wstring AsReached(std::wstring real) {
    static const std::wstring windows = RunsUnderWow64() ? WithoutTrailingSeparators(GetWindowsFolderW()) : L"";
    if (windows.empty()) return real;
    const std::wstring system32 = windows + L"\\System32";
    if (real.size() >= system32.size() && SamePathText(real.substr(0, system32.size()), system32) &&
        (real.size() == system32.size() || real[system32.size()] == L'\\'))
        real = windows + L"\\Sysnative" + real.substr(system32.size());
    return real;
}

std::wstring RealPathOf(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < buffer.size()) return AsReached(WithoutVerbatimPrefix(std::wstring(buffer.data(), n)));
        buffer.resize(n + 1);
    }
}

// Splits "folder\name" (trailing separators dropped) into the folder with its separator and the
// name; false when there is no separator or no name, as for a drive root.
bool SplitLast(const std::wstring& path, std::wstring& folder, std::wstring& name) {
    const std::wstring trimmed = WithoutTrailingSeparators(path);
    folder = PathUpToLastPart(trimmed);
    name = LastPathPart(trimmed);
    return !folder.empty() && !name.empty();
}

// The basic information alone: the whole-file query also asks for the volume's serial number,
// which Wine fetches from its mount manager, about a millisecond for every file and folder.
bool Attributes(HANDLE handle, DWORD& attributes) {
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof(info))) return false;
    attributes = info.FileAttributes;
    return true;
}

// An entry opened itself; without a handle, a refusal when it turned out to be anything else (a
// link's target, a swapped folder), else the system's error (not there, in use...).
struct OpenedEntry {
    UniqueHandle handle;
    std::string refusal;
    DWORD error = ERROR_FILE_NOT_FOUND;
};

bool IsMissing(DWORD error) { return IsMissingError(error); }

// An open that failed: a link that the redirection-trust policy blocks is a link on the way, the
// rest is the system's error.
OpenedEntry Unopened(DWORD error) {
    if (error == kErrorUntrustedMountPoint) return {{}, kRefusedLinkInPath, error};
    return {{}, {}, error};
}

// The entry "name" in the folder whose real path is folderReal, opened itself.
OpenedEntry OpenEntryItself(const std::wstring& folderReal, const std::wstring& name, DWORD access) {
    if (folderReal.empty() || name.empty() || name == L"." || name == L"..") return {};
    const std::wstring expected = JoinPath(folderReal, name);
    if (expected.empty()) return {{}, kRefusedNotAbsolute};
    UniqueHandle entry = Open(expected, access | FILE_READ_ATTRIBUTES, kShareAll, kOpenEntryItself);
    if (!entry) return Unopened(GetLastError());
    if (!SamePathText(RealPathOf(entry.get()), expected)) return {{}, kRefusedLinkInPath};
    return {std::move(entry), {}, ERROR_SUCCESS};
}

// A plan opens to look, not to delete: a file that a program the removal ends first still holds
// would refuse the delete access now, and go later.
DWORD DeleteAccess(const Acting& acting) { return acting.Planning() ? 0 : DELETE; }

// Records an object that was not reached: refused with the reason, not there, or failed.
void RecordMissed(const Acting& acting, ObjectKind kind, const std::wstring& path, const OpenedEntry& entry) {
    RecordUnopened(acting, {kind, Outcome::NotFound, path}, entry.refusal, entry.error);
}

DWORD ErrorOf(bool done) { return done ? DWORD{ERROR_SUCCESS} : GetLastError(); }

bool MarkForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// Deletes a read-only file without touching its attributes (Windows 10 1809 and later).
bool MarkForDeletionIgnoringReadOnly(HANDLE handle) {
    DispositionInfoEx disposition{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE};
    return SetFileInformationByHandle(handle, kFileDispositionInfoEx, &disposition, sizeof(disposition)) != FALSE;
}

// How many names the file has; 0 when that cannot be read.
DWORD LinkCount(HANDLE handle) {
    FILE_STANDARD_INFO info{};
    if (!GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof(info))) return 0;
    return info.NumberOfLinks;
}

bool SetReadOnly(HANDLE handle, bool readOnly) {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic))) return false;
    if (readOnly) basic.FileAttributes |= FILE_ATTRIBUTE_READONLY;
    else basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    // Zero times mean "leave unchanged".
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
    basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    return SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

// The read-only flag belongs to the file, not to one of its names: cleared through one hard link,
// it is cleared for all. So it is cleared only for a file with one name, and put back should a
// second name have appeared meanwhile.
ExactDeletion DeleteReadOnlyFile(const Acting& acting, const ActedObject& file, HANDLE handle) {
    // A plan cannot ask for the disposition without deleting: where the system has it, the file
    // goes whatever its names.
    if (acting.Planning()) {
        acting.Record(file, Outcome::Planned);
        return {true, {}};
    }
    if (MarkForDeletionIgnoringReadOnly(handle)) {
        acting.Record(file, Outcome::Done);
        return {true, {}};
    }
    bool oneName = LinkCount(handle) == 1;
    if (oneName && !SetReadOnly(handle, false)) {
        acting.Record(file, Outcome::Failed, SystemErrorReason(GetLastError()));
        return {};
    }
    if (oneName && LinkCount(handle) != 1) {
        SetReadOnly(handle, true);
        oneName = false;
    }
    if (!oneName) {
        acting.Record(file, Outcome::Refused, FromAnsi(kRefusedManyNames));
        return {false, kRefusedManyNames};
    }
    return {acting.Perform(file, [&] { return ErrorOf(MarkForDeletion(handle)); }), {}};
}

// The last step of every file deletion, the opened file checked once more.
ExactDeletion DeleteOpenedFile(const Acting& acting, const std::wstring& path, HANDLE handle, DWORD attributes,
                               bool clearReadOnly) {
    const ActedObject file{ObjectKind::File, Outcome::Planned, path};
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        if (clearReadOnly) return DeleteReadOnlyFile(acting, file, handle);
        acting.Record(file, Outcome::Refused, FromAnsi(kRefusedReadOnly));
        return {false, kRefusedReadOnly};
    }
    return {acting.Perform(file, [&] { return ErrorOf(MarkForDeletion(handle)); }), {}};
}

// The folder fixed before, opened itself and held, so that it cannot be renamed or replaced while
// we work in it; accepted only when the real path read through that handle is the fixed path.
OpenedEntry HoldFolder(const std::wstring& fixed, std::wstring& real) {
    std::wstring parent, name;
    if (!IsAbsoluteFolder(fixed)) return {{}, kRefusedNotAbsolute};
    const std::wstring path = WithoutTrailingSeparators(fixed);
    if (!SplitLast(path, parent, name)) return {{}, kRefusedDriveRoot};
    UniqueHandle handle =
        Open(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, kOpenEntryItself);
    DWORD attributes = 0;
    if (!handle || !Attributes(handle.get(), attributes)) return Unopened(GetLastError());
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return {{}, kRefusedLinkInPath};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {{}, kRefusedNotAFolder};
    // Where links are followed regardless, the folder's real path gives the link away; so does
    // one swapped in on the way since the path was fixed.
    real = RealPathOf(handle.get());
    if (!SamePathText(real, path)) return {{}, kRefusedLinkInPath};
    return {std::move(handle), {}, ERROR_SUCCESS};
}

FolderEmptying DeleteListedFiles(const std::wstring& folder, const wchar_t* pattern, const FolderRule* rule,
                                 const Acting& acting) {
    FolderEmptying result;
    std::wstring real;
    OpenedEntry held = HoldFolder(folder, real);
    // Decided on the folder held, not on the name looked at before.
    if (held.handle && rule) {
        held.refusal = rule->Refusal(real);
        if (!held.refusal.empty()) held.handle.reset();
    }
    if (!held.handle) {
        RecordMissed(acting, ObjectKind::Folder, WithoutTrailingSeparators(folder), held);
        result.refusal = held.refusal;
        return result;
    }
    const DWORD skipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    WIN32_FIND_DATAW entry{};
    UniqueFind listing(ValidOrNull(FindFirstFileW(JoinPath(real, pattern).c_str(), &entry)));
    if (!listing) return result;
    do {
        if (entry.dwFileAttributes & (skipped | 0x8 /* volume label */)) continue;
        if (!LongNameMatches(entry.cFileName, pattern)) continue;
        // Per file: a folder of many thousands must not hold a stop for minutes.
        if (acting.Stopping()) {
            result.stopped = true;
            break;
        }
        ++result.files;
        const std::wstring path = JoinPath(real, entry.cFileName);
        OpenedEntry file = OpenEntryItself(real, entry.cFileName, DeleteAccess(acting));
        DWORD attributes = 0;
        if (!file.handle) {
            RecordMissed(acting, ObjectKind::File, path, file);
        } else if (!Attributes(file.handle.get(), attributes)) {
            acting.Record({ObjectKind::File, Outcome::Failed, path}, Outcome::Failed, SystemErrorReason(GetLastError()));
        } else if (!(attributes & skipped)) {
            // Decide on what was opened, not on what was listed a moment before.
            DeleteOpenedFile(acting, path, file.handle.get(), attributes, false);
        }
    } while (FindNextFileW(listing.get(), &entry));
    return result;
}

}  // namespace

std::wstring RealPath(const std::wstring& path) {
    DWORD error = ERROR_SUCCESS;
    return RealPath(path, error);
}

std::wstring RealPath(const std::wstring& path, DWORD& error) {
    error = ERROR_FILE_NOT_FOUND;
    if (path.empty()) return {};
    UniqueHandle handle = Open(path, FILE_READ_ATTRIBUTES, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
    if (!handle) {
        error = GetLastError();
        return {};
    }
    std::wstring real = RealPathOf(handle.get());
    error = real.empty() ? GetLastError() : ERROR_SUCCESS;
    return real;
}

void RecordUnopened(const Acting& acting, const ActedObject& object, const std::string& refusal, DWORD error) {
    if (!refusal.empty()) acting.Record(object, Outcome::Refused, FromAnsi(refusal));
    else if (error == kErrorUntrustedMountPoint) acting.Record(object, Outcome::Refused, FromAnsi(kRefusedLinkInPath));
    else if (IsMissing(error)) acting.Record(object, Outcome::NotFound);
    else acting.Record(object, Outcome::Failed, SystemErrorReason(error));
}

bool ReachedWithoutLinks(const std::wstring& root, const std::wstring& relative) {
    const std::wstring folders = PathBeforeLastPart(WithoutTrailingSeparators(relative));
    if (folders.find_first_not_of(L"\\/") == std::wstring::npos) return !RealPath(root).empty();
    std::wstring rootReal = RealPath(root);
    return !rootReal.empty() && SamePathText(RealPath(JoinPath(root, folders)), JoinPath(rootReal, folders));
}

namespace {

// Refused with a reason, recorded and handed back.
ExactDeletion Refuse(const Acting& acting, const ActedObject& object, const char* reason) {
    acting.Record(object, Outcome::Refused, FromAnsi(reason));
    return {false, reason};
}

}  // namespace

HeldFile HoldFileExactly(const std::wstring& path) {
    std::wstring folder, name;
    if (!IsAbsoluteFolder(path)) return {{}, kRefusedNotAbsolute};
    if (!SplitLast(path, folder, name)) return {{}, kRefusedDriveRoot};
    const std::wstring expected = JoinPath(folder, name);
    UniqueHandle file = Open(expected, GENERIC_READ, FILE_SHARE_READ, kOpenEntryItself);
    if (!file) {
        OpenedEntry unopened = Unopened(GetLastError());
        return {{}, std::move(unopened.refusal), unopened.error};
    }
    DWORD attributes = 0;
    if (!Attributes(file.get(), attributes)) return {{}, {}, GetLastError()};
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return {{}, kRefusedLinkInPath};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {{}, kRefusedNotAFile};
    if (!SamePathText(RealPathOf(file.get()), expected)) return {{}, kRefusedLinkInPath};
    return {std::move(file), {}, ERROR_SUCCESS};
}

ExactDeletion DeleteFileExactly(const std::wstring& path, bool clearReadOnly, const Acting& acting) {
    const ActedObject object{ObjectKind::File, Outcome::Planned, path};
    std::wstring folder, name;
    if (!IsAbsoluteFolder(path)) return Refuse(acting, object, kRefusedNotAbsolute);
    if (!SplitLast(path, folder, name)) return Refuse(acting, object, kRefusedDriveRoot);
    const DWORD access = acting.Planning() ? 0 : DELETE | (clearReadOnly ? FILE_WRITE_ATTRIBUTES : 0);
    OpenedEntry file = OpenEntryItself(folder, name, access);
    DWORD attributes = 0;
    if (!file.handle) {
        RecordMissed(acting, ObjectKind::File, path, file);
        return {false, file.refusal};
    }
    if (!Attributes(file.handle.get(), attributes)) {
        acting.Record(object, Outcome::Failed, SystemErrorReason(GetLastError()));
        return {};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Refuse(acting, object, kRefusedNotAFile);
    return DeleteOpenedFile(acting, path, file.handle.get(), attributes, clearReadOnly);
}

ExactDeletion RemoveFolderExactly(const std::wstring& path, const Acting& acting) {
    const ActedObject object{ObjectKind::Folder, Outcome::Planned, WithoutTrailingSeparators(path)};
    std::wstring folder, name;
    if (!IsAbsoluteFolder(path)) return Refuse(acting, object, kRefusedNotAbsolute);
    if (!SplitLast(path, folder, name)) return Refuse(acting, object, kRefusedDriveRoot);
    OpenedEntry entry = OpenEntryItself(folder, name, DeleteAccess(acting));
    DWORD attributes = 0;
    if (!entry.handle) {
        RecordMissed(acting, ObjectKind::Folder, object.path, entry);
        return {false, entry.refusal};
    }
    if (!Attributes(entry.handle.get(), attributes)) {
        acting.Record(object, Outcome::Failed, SystemErrorReason(GetLastError()));
        return {};
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Refuse(acting, object, kRefusedNotAFolder);
    // A plain folder goes only when empty; a link goes as the link.
    return {acting.Perform(object, [&] { return ErrorOf(MarkForDeletion(entry.handle.get())); }), {}};
}

FixedFolder FixFolder(const std::wstring& folder) {
    if (folder.empty()) return {};
    if (!IsAbsoluteFolder(folder)) return {{}, kRefusedNotAbsolute};
    const std::wstring path = WithoutTrailingSeparators(folder);
    UniqueHandle handle = Open(path, FILE_READ_ATTRIBUTES, kShareAll, kOpenEntryItself);
    DWORD attributes = 0;
    if (!handle || !Attributes(handle.get(), attributes)) {
        const OpenedEntry unopened = Unopened(GetLastError());
        return {{}, unopened.refusal, unopened.error};
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return {{}, kRefusedLinkInPath};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {{}, kRefusedNotAFolder};
    // The folders on the way may be links (a profile moved to another drive); the folder itself
    // may not. Where the system opens a link's target regardless, the real path gives it away.
    const std::wstring real = RealPathOf(handle.get());
    std::wstring parent, name;
    if (SplitLast(path, parent, name) && !SamePathText(real, JoinPath(RealPath(parent), name)))
        return {{}, kRefusedLinkInPath};
    return {real, {}};
}

FolderEmptying DeleteFilesInFolder(const std::wstring& folder, const FolderRule* rule, const Acting& acting) {
    return DeleteListedFiles(folder, L"*.*", rule, acting);
}

FolderEmptying DeleteExeFilesInFolder(const std::wstring& folder, const Acting& acting) {
    return DeleteListedFiles(folder, L"*.exe", nullptr, acting);
}

FolderEmptying DeleteShortcutFilesInFolder(const std::wstring& folder, const Acting& acting) {
    FolderEmptying links = DeleteListedFiles(folder, L"*.lnk", nullptr, acting);
    if (!links.refusal.empty() || links.stopped) return links;
    const FolderEmptying addresses = DeleteListedFiles(folder, L"*.url", nullptr, acting);
    links.refusal = addresses.refusal;
    links.files += addresses.files;
    links.stopped = addresses.stopped;
    return links;
}

bool LongNameMatches(const std::wstring& name, const wchar_t* pattern) {
    const std::wstring suffix = std::wstring(pattern).substr(1);  // "*.exe" -> ".exe"
    if (suffix == L".*") return true;
    return name.size() >= suffix.size() &&
           CompareStringOrdinal(name.c_str() + name.size() - suffix.size(), static_cast<int>(suffix.size()),
                                suffix.c_str(), static_cast<int>(suffix.size()), TRUE) == CSTR_EQUAL;
}
