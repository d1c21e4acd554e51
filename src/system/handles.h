#pragma once
// system: the Windows primitives everything else stands on, knowing nothing of ours above them:
// wide paths and exact deletion, protected folders and where each cleaned folder may be, files,
// processes, the registry, plans and records, texts and error texts, stored-text decoding.
//
// Here: small owners for every kind of handle the program opens, so each is closed on every path.
#include <windows.h>
#include <wininet.h>
#include <memory>
#include <type_traits>

namespace detail {
struct HandleCloser { void operator()(HANDLE h) const { if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h); } };
struct FindCloser { void operator()(HANDLE h) const { if (h && h != INVALID_HANDLE_VALUE) FindClose(h); } };
struct KeyCloser { void operator()(HKEY k) const { if (k) RegCloseKey(k); } };
struct LibraryCloser { void operator()(HMODULE m) const { if (m) FreeLibrary(m); } };
struct InternetCloser { void operator()(HINTERNET h) const { if (h) InternetCloseHandle(h); } };
}  // namespace detail

// A kernel handle (process, snapshot, event, thread, file).
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, detail::HandleCloser>;
// A FindFirstFile listing.
using UniqueFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, detail::FindCloser>;
// An opened registry key (never a predefined root).
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, detail::KeyCloser>;
// A library loaded with LoadLibrary.
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, detail::LibraryCloser>;
// A WinInet handle.
using UniqueInternet = std::unique_ptr<void, detail::InternetCloser>;

// INVALID_HANDLE_VALUE and NULL both mean "none" for the owners above.
inline HANDLE ValidOrNull(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
