// Scan positions 1 to 8. A folder path with and without its trailing backslash names the same
// folder: detect checks use the one form, the removal steps the other.
#include "catalogue/catalogue_entries.h"
#include "catalogue/entry_notation.h"
#include "catalogue/shared_texts.h"

using namespace entry_notation;

RogueEntry MicroAntivirus2009() {
    REF(p1, "MicroAV.exe");
    REF(k1, "Software\\Micro Antivirus 2009");
    REF(f1, "\\Micro Antivirus 2009\\");
    REF(f2, "\\Micro Antivirus 2009");
    REF(f3, "\\Micro Antivirus 2009.lnk");
    REF(f4, "\\MicroAV.cpl");
    SHARED_REF(r1, shared_text::AntivirusSystemRunValue);
    return {1, "Micro Antivirus 2009", "Micro Antivirus 2009",
            {proc(p1), key(HKCU, k1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), del(DT, f3), del(SYS, f4), rmdir(PF, f2, x2), key(HKCU, k1),
             run(HKCU, r1), run(HKLM, r1)}};
}

RogueEntry SystemAntivirus2008() {
    REF(p1, "SystemAV.exe");
    REF(k1, "Software\\System Antivirus 2008");
    REF(k2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\System Antivirus 2008");
    REF(f1, "\\System Antivirus 2008\\");
    REF(f2, "\\System Antivirus 2008");
    REF(f3, "\\System Antivirus 2008.lnk");
    REF(f4, "\\SystemAV.cpl");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\SystemAV");
    return {0, "System Antivirus 2008", "System Antivirus 2008",
            {proc(p1), key(HKCU, k1), dir(PF, f1)},
            // The emptied program folder goes too, or a product found would always stay detected.
            {kill(p1), wait(1000), empty(PF, f2), del(DT, f3), del(SYS, f4), rmdir(PF, f2), key(HKCU, k2),
             key(HKCU, k1), run(HKLM, r1), run(HKCU, r1)}};
}

RogueEntry SpyProtector() {
    SHARED_REF(p1, shared_text::SpyProtectorProcess);
    SHARED_REF(p2, shared_text::SpyProtectorUpdateProcess);
    SHARED_REF(p3, shared_text::SpyProtectorServiceProcess);
    REF(k1, "Software\\SpyProtector");
    REF(k2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SpyProtector");
    REF(k3, "CLSID\\{8E4F1C72-3A5D-4B69-9C21-5D7E0A13F6B4}");
    REF(k4, "TypeLib\\{2B7D9E30-6C14-4F8A-A5E3-91C0D4B7E285}");
    REF(k5, "SOFTWARE\\SpyProtector");
    REF(f1, "\\SpyProtector");
    REF(f2, "\\SpyProtector.lnk");
    REF(f3, "\\SpyProtector\\");
    REF(f4, "\\spprotect.dat");
    REF(f5, "\\spprotect.log");
    REF(f6, "\\spprotect32.dll");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\SpyProtector");
    REF(c1, "\\SpyProtector\\uninstall.exe");
    return {3, "SpyProtector", "SpyProtector",
            {proc(p1), proc(p2), key(HKCU, k1), dir(PF, f1)},
            {kill(p1), kill(p2), kill(p3), wait(1000), uninstall(c1), empty(PF, f1), empty(PR, f1), del(DT, f2),
             empty(AD, f3), rmdir(PF, f1), rmdir(AD, f3), rmdir(PR, f1), rmdir(AD, f3), rmdir(PR, f1),
             del(AD, f4), del(AD, f5), del(SYS, f6), key(HKCU, k1), key(HKCU, k2), key(HKLM, k2), key(HKCR, k3),
             key(HKCR, k4), key(HKLM, k5), run(HKLM, r1), run(HKCU, r1)}};
}

// r2 is the product's settings: a value of its machine key and a key of its own under the user.
// f5 is a second program folder beside the first, never inside it.
RogueEntry Antivirus2009() {
    REF(p1, "av2009.exe");
    REF(f1, "\\Antivirus 2009\\");
    REF(f2, "\\Antivirus 2009");
    SHARED_REF(f3, shared_text::SecurityGuideLink);
    REF(f4, "\\winsystems.dll");
    REF(f5, "\\AV2009");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\av2009");
    REF(r2, "Software\\Antivirus 2009\\Settings");
    return {2, "Antivirus 2009", "Antivirus 2009",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(SM, f2), rmdir(PF, f1), rmdir(SM, f1, x2), del(DT, f3),
             del(SYS, f4), empty(PF, f5), rmdir(PF, f5), run(HKCU, r1), val(HKLM, r2), key(HKCU, r2)}};
}

// f3 holds f4 to f7; f1 is f2, the outermost folder.
RogueEntry ProAntispyware2009() {
    REF(p1, "pas2009.exe");
    SHARED_REF(p2, shared_text::BraviaxProcess);
    REF(f1, "\\Pro Antispyware 2009\\");
    REF(f2, "\\Pro Antispyware 2009");
    REF(f3, "\\Pro Antispyware 2009\\Data");
    REF(f4, "\\Pro Antispyware 2009\\Data\\Quarantine");
    REF(f5, "\\Pro Antispyware 2009\\Data\\Logs");
    REF(f6, "\\Pro Antispyware 2009\\Data\\Updates");
    REF(f7, "\\Pro Antispyware 2009\\Data\\Reports");
    SHARED_REF(f8, shared_text::SecurityGuideLink);
    REF(f9, "\\pas2009.dll");
    REF(f10, "\\pas2009db.dat");
    REF(f11, "\\pasupdate.exe");
    REF(f12, "\\pashlp32.dll");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\pas2009");
    REF(k1, "Software\\Pro Antispyware 2009");
    return {4, "Pro Antispyware 2009", "Pro Antispyware 2009",
            {proc(p1), dir(CA, f1)},
            {kill(p1), kill(p2), wait(1000), empty(CA, f2), empty(CA, f3), empty(CA, f4), empty(CA, f5),
             empty(CA, f6), empty(CA, f7), rmdir(CA, f4), rmdir(CA, f5), rmdir(CA, f6), rmdir(CA, f7),
             rmdir(CA, f3), rmdir(CA, f2), del(DT, f8), del(SYS, f9), del(SYS, f10), del(SYS, f11),
             del(SYS, f12), run(HKCU, r1), run(HKLM, r1), key(HKCU, k1)}};
}

RogueEntry UltraAntivirus2009() {
    REF(p1, "UltraAV.exe");
    REF(f1, "\\Ultra Antivirus 2009\\");
    REF(f2, "\\Ultra Antivirus 2009");
    REF(f3, "\\Ultra Antivirus 2009.lnk");
    REF(f4, "\\ultraav32.dll");
    SHARED_REF(r1, shared_text::AntivirusSystemRunValue);
    REF(k1, "Software\\Ultra Antivirus 2009");
    return {5, "Ultra Antivirus 2009", "Ultra AV 2009",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), rmdir(PF, f2), del(DT, f3), del(SYS, f4), run(HKLM, r1),
             run(HKCU, r1), key(HKCU, k1)}};
}

RogueEntry MsAntivirus() {
    REF(p1, "MSAntivirus.exe");
    REF(f1, "\\MS Antivirus\\");
    REF(f2, "\\MS Antivirus");
    REF(f3, "\\MS Antivirus.lnk");
    REF(f4, "\\MSAntivirus.cpl");
    REF(k1, "Software\\MS Antivirus");
    return {6, "MS Antivirus", "(MS) ANTIVIRUS",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), rmdir(PF, f2), del(DT, f3), del(SYS, f4), key(HKCU, k1)}};
}

// f3 is the outermost folder and holds f2, which holds f4 to f7.
RogueEntry AntispywareProXp() {
    REF(p1, "aspxp.exe");
    REF(f1, "\\Antispyware PRO XP\\");
    REF(f2, "\\Antispyware PRO XP\\Data");
    REF(f3, "\\Antispyware PRO XP");
    REF(f4, "\\Antispyware PRO XP\\Data\\Quarantine");
    REF(f5, "\\Antispyware PRO XP\\Data\\Logs");
    REF(f6, "\\Antispyware PRO XP\\Data\\Updates");
    REF(f7, "\\Antispyware PRO XP\\Data\\Definitions");
    REF(k1, "Software\\Antispyware PRO XP");
    return {7, "Antispyware PRO XP", "Antispyware PRO XP",
            {proc(p1), dir(CA, f1)},
            {kill(p1), wait(1000), empty(CA, f2), empty(CA, f3), empty(CA, f4), empty(CA, f5), empty(CA, f6),
             empty(CA, f7), rmdir(CA, f7), rmdir(CA, f6), rmdir(CA, f5), rmdir(CA, f4), rmdir(CA, f2),
             rmdir(CA, f3), key(HKCU, k1)}};
}
