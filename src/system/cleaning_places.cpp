#include "system/cleaning_places.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>

#include "system/exact_deletion.h"
#include "system/folder_lists.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/protected_folders.h"
#include "system/text_codes.h"
#include "system/user_hives.h"
#include "system/wide_paths.h"

const char kRefusedNoProfile[] = "the user's profile folder is not known";
const char kRefusedOutsideProfile[] = "not inside the user's profile folder";
const char kRefusedProfileItself[] = "the user's profile folder itself";
const char kRefusedDocumentFolder[] = "a document folder, a folder in one or a folder that holds one";
const char kRefusedNotWindowsTemp[] = "not the Temp folder of the Windows folder";
const char kRefusedSystemFolder[] = "a system folder, or a folder that holds one";
const char kRefusedNotProfileTemp[] = "not the Temp folder of the user's profile";
const char kRefusedNotCookies[] = "not a cookies folder of the user's profile";
const char kRefusedNotCache[] = "not an Internet cache folder of the user's profile";

namespace {

// Where the shell folder settings put them now...
const int kDocumentFolders[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES,
                                CSIDL_MYMUSIC,          CSIDL_MYVIDEO,  CSIDL_FAVORITES};
// ...the same as a user's own hive names them...
const wchar_t* const kDocumentSettings[] = {L"Desktop", L"Personal", L"My Pictures", L"My Music", L"My Video",
                                            L"Favorites"};
// ...and where they lie in a profile by default, whatever the settings say.
const wchar_t* const kDocumentNames[] = {L"Desktop", L"Documents", L"My Documents", L"Downloads", L"Pictures",
                                         L"Music",   L"Videos",    L"Favorites",    L"Contacts",  L"Links",
                                         L"Saved Games", L"Searches", L"OneDrive"};

// Where each cleaned folder lies in a profile: today's place first, then the older ones.
struct Place {
    ProfileFolder folder;
    const wchar_t* parent;
    const wchar_t* name;
};
const Place kPlaces[] = {
    {ProfileFolder::Temp, L"AppData\\Local", L"Temp"},
    {ProfileFolder::Temp, L"Local Settings", L"Temp"},
    {ProfileFolder::Temp, L"", L"Temp"},  // where Wine keeps a profile's Temp
    {ProfileFolder::Cookies, L"AppData\\Local\\Microsoft\\Windows", L"INetCookies"},
    {ProfileFolder::Cookies, L"AppData\\Roaming\\Microsoft\\Windows", L"Cookies"},
    {ProfileFolder::Cache, L"AppData\\Local\\Microsoft\\Windows", L"INetCache"},
    {ProfileFolder::Cache, L"AppData\\Local\\Microsoft\\Windows", L"Temporary Internet Files"},
};

// The profile folder of the user who runs the program, as the machine's profile list names it:
// only administrators write there, unlike the environment and the user's shell folder settings.
std::wstring OwnProfileFolder() {
    const std::wstring sid = RunningUserSid();
    return sid.empty() ? std::wstring() : ProfileFolderOf(sid);
}

std::vector<std::wstring> OwnDocumentFolders() {
    std::vector<std::wstring> folders;
    for (int csidl : kDocumentFolders) folders.push_back(GetSpecialFolderW(csidl));
    return folders;
}

// The real path where there is such a folder; else the path as named, which nothing real can
// differ from.
std::wstring RealOrNamed(const std::wstring& path) {
    std::wstring real = RealPath(path);
    return real.empty() ? WithoutTrailingSeparators(path) : real;
}

class JudgedBy : public FolderRule {
public:
    template <class Judge>
    explicit JudgedBy(Judge judge) : judge_(std::move(judge)) {}
    std::string Refusal(const std::wstring& real) const override { return judge_(real); }

private:
    std::function<std::string(const std::wstring&)> judge_;
};

FolderEmptying CleanAt(const std::wstring& folder, const FolderRule& rule, const Acting& acting) {
    FixedFolder fixed = FixFolder(folder);
    if (fixed.real.empty()) {
        RecordUnopened(acting, {ObjectKind::Folder, Outcome::NotFound, WithoutTrailingSeparators(folder)},
                       fixed.refusal, fixed.error);
        return {fixed.refusal};
    }
    return DeleteFilesInFolder(fixed.real, &rule, acting);
}

}  // namespace

CleaningPlaces::CleaningPlaces(std::shared_ptr<const ProtectedFolders> secondLine)
    : secondLine_(std::move(secondLine)) {
    SetProfile(OwnProfileFolder(), OwnDocumentFolders());
}

CleaningPlaces::CleaningPlaces(std::shared_ptr<const ProtectedFolders> secondLine, const ScanUser& user)
    : secondLine_(std::move(secondLine)) {
    if (!user.hive) {
        SetProfile(OwnProfileFolder(), OwnDocumentFolders());
        return;
    }
    // Only those in his profile matter here, and only those are opened: a setting may name a share.
    std::vector<std::wstring> documents;
    for (const wchar_t* name : kDocumentSettings) {
        std::wstring folder = UserShellFolder(user.hive->Root(), user.profile, name);
        if (NamesPlaceInProfile(folder, user.profile)) documents.push_back(std::move(folder));
    }
    SetProfile(user.profile, documents);
}

void CleaningPlaces::SetProfile(const std::wstring& profile, const std::vector<std::wstring>& documentFolders) {
    if (IsAbsoluteFolder(profile)) profile_ = RealPath(profile);
    for (const std::wstring& folder : documentFolders) {
        if (IsAbsoluteFolder(folder)) documents_.push_back(RealOrNamed(folder));
    }
    if (!profile_.empty()) {
        for (const wchar_t* name : kDocumentNames) documents_.push_back(RealOrNamed(JoinPath(profile_, name)));
    }
    windows_ = RealPath(GetWindowsFolderW());
}

std::string CleaningPlaces::ProfileRefusal(const std::wstring& real) const {
    const std::string refusal = ProfileRule(real);
    return refusal.empty() ? SecondLine(real) : refusal;
}

std::string CleaningPlaces::ProfileRule(const std::wstring& real) const {
    if (profile_.empty()) return kRefusedNoProfile;
    if (SamePathText(WithoutTrailingSeparators(real), profile_)) return kRefusedProfileItself;
    if (!IsInsideFolder(real, profile_)) return kRefusedOutsideProfile;
    for (const std::wstring& document : documents_) {
        if (SamePathText(WithoutTrailingSeparators(real), document) || IsInsideFolder(document, real) ||
            IsInsideFolder(real, document))
            return kRefusedDocumentFolder;
    }
    return {};
}

std::string CleaningPlaces::ProfileRefusal(const std::wstring& real, ProfileFolder folder) const {
    std::string refusal = ProfileRule(real);
    if (!refusal.empty()) return refusal;
    const std::wstring path = WithoutTrailingSeparators(real);
    for (const Place& place : kPlaces) {
        if (place.folder != folder) continue;
        // The folders on the way may be links (AppData moved elsewhere); the place itself is
        // compared by its name there, so a Temp that is a link to elsewhere names nothing.
        const std::wstring parent = *place.parent ? RealOrNamed(JoinPath(profile_, place.parent)) : profile_;
        const std::wstring allowed = JoinPath(parent, place.name);
        // A session's own Temp lies in the Temp folder; the cookies and cache only at their place.
        if (SamePathText(path, allowed) || (folder == ProfileFolder::Temp && IsInsideFolder(path, allowed)))
            return SecondLine(real);
    }
    return folder == ProfileFolder::Temp      ? kRefusedNotProfileTemp
           : folder == ProfileFolder::Cookies ? kRefusedNotCookies
                                              : kRefusedNotCache;
}

std::string CleaningPlaces::WindowsRefusal(const std::wstring& real, const std::wstring& name) const {
    const std::size_t first = name.find_first_not_of(L"\\/");
    const std::wstring plain =
        first == std::wstring::npos ? std::wstring() : WithoutTrailingSeparators(name.substr(first));
    const bool oneName = !plain.empty() && plain.find_first_of(L"\\/") == std::wstring::npos && plain != L"." &&
                         plain != L"..";
    if (windows_.empty() || !oneName || !SamePathText(WithoutTrailingSeparators(real), JoinPath(windows_, plain)))
        return kRefusedNotWindowsTemp;
    return SecondLine(real);
}

std::string CleaningPlaces::SecondLine(const std::wstring& real) const {
    return secondLine_ && !secondLine_->Protects(real) ? std::string() : std::string(kRefusedSystemFolder);
}

std::shared_ptr<const CleaningPlaces> SharedCleaningPlaces() {
    return FolderListScope::Shared<CleaningPlaces>(
        [] { return std::make_shared<const CleaningPlaces>(SharedProtectedFolders()); });
}

FolderEmptying CleanProfileFolder(const std::wstring& folder, ProfileFolder which, const Acting& acting) {
    const std::shared_ptr<const CleaningPlaces> places = SharedCleaningPlaces();
    return CleanAt(folder, JudgedBy([&](const std::wstring& real) { return places->ProfileRefusal(real, which); }),
                   acting);
}

FolderEmptying CleanProfileFolder(const std::wstring& folder, ProfileFolder which, const ScanUser& user,
                                  const Acting& acting) {
    if (!user.hive) return CleanProfileFolder(folder, which, acting);
    // His own settings name the folder: one outside his profile is refused before it is opened (the
    // profile itself is his to open, and is refused as such below).
    const bool profileItself = SamePathText(WithoutTrailingSeparators(folder), WithoutTrailingSeparators(user.profile));
    if (!profileItself && !NamesPlaceInProfile(folder, user.profile)) {
        acting.Record({ObjectKind::Folder, Outcome::Refused, WithoutTrailingSeparators(folder)}, Outcome::Refused,
                      FromAnsi(kRefusedOutsideProfile));
        return {kRefusedOutsideProfile};
    }
    const CleaningPlaces places(SharedProtectedFolders(), user);
    return CleanAt(folder, JudgedBy([&](const std::wstring& real) { return places.ProfileRefusal(real, which); }),
                   acting);
}

FolderEmptying CleanWindowsFolderPart(const std::wstring& part, const Acting& acting) {
    const std::shared_ptr<const CleaningPlaces> places = SharedCleaningPlaces();
    return CleanAt(JoinPath(GetWindowsFolderW(), part),
                   JudgedBy([&](const std::wstring& real) { return places->WindowsRefusal(real, part); }), acting);
}
