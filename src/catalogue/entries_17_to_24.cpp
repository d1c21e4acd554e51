// Scan positions 17 to 24.
#include "catalogue/catalogue_entries.h"
#include "catalogue/entry_notation.h"
#include "catalogue/shared_texts.h"

using namespace entry_notation;

RogueEntry AntiSpywareBot() {
    REF(p1, "AntiSpywareBot.exe");
    REF(f1, "\\AntiSpyware BOT\\");
    REF(f2, "\\AntiSpyware BOT");
    REF(f3, "\\AntiSpyware BOT.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\AntiSpywareBot");
    REF(k1, "Software\\AntiSpyware BOT");
    return {16, "AntiSpyware BOT", "AntiSpyware BOT",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PR, f2), empty(AD, f2), rmdir(PR, f2), rmdir(PF, f2),
             rmdir(AD, f2), del(DT, f3), run(HKLM, r1), run(HKCU, r1), key(HKCU, k1)}};
}

// f3 is the product's launcher: a single file in the Start menu programs, a folder of links on the
// desktop, which loses its links only (the user's own files there stay) and then goes when empty.
RogueEntry TotalSecure2009() {
    REF(p1, "ts2009.exe");
    REF(f1, "\\Total Secure 2009\\");
    REF(f2, "\\Total Secure 2009");
    REF(f3, "\\Total Secure");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\ts2009");
    REF(k1, "Software\\Total Secure 2009");
    REF(k2, "SOFTWARE\\Total Secure 2009");
    return {17, "Total Secure 2009", "Total Secure 2009",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), del(PR, f3), links(DT, f3), rmdir(DT, f3), rmdir(PF, f2), run(HKLM, r1),
             run(HKCU, r1), key(HKCU, k1), key(HKLM, k2)}};
}

RogueEntry SpywareStop() {
    REF(p1, "SpywareSTOP.exe");
    REF(f1, "\\SpywareSTOP\\");
    REF(f2, "\\SpywareSTOP");
    REF(f3, "\\SpywareSTOP.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\SpywareSTOP");
    SHARED_REF(k1, shared_text::ProtectionCenterKey);
    return {18, "SpywareSTOP", "SpywareSTOP",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PR, f2), empty(AD, f2), rmdir(PR, f2), rmdir(PF, f2),
             rmdir(AD, f2), del(DT, f3), run(HKLM, r1), run(HKCU, r1), key(HKCU, k1)}};
}

// f3 is the program folder and holds f2.
RogueEntry PcProtectionCenter2008() {
    REF(p1, "pcpc2008.exe");
    REF(f1, "\\PC Protection Center 2008\\");
    REF(f2, "\\PC Protection Center 2008\\Bases");
    REF(f3, "\\PC Protection Center 2008");
    REF(f4, "\\PC Protection Center 2008.lnk");
    REF(f5, "\\pcpc2008.dll");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\pcpc2008");
    SHARED_REF(k1, shared_text::ProtectionCenterKey);
    return {19, "PC Protection Center 2008", "PC Protection Center 2008",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PF, f3), empty(PR, f3), empty(AD, f3), rmdir(PF, f2),
             rmdir(PR, f3), rmdir(PF, f3), rmdir(AD, f3), del(DT, f4), del(SYS, f5), run(HKLM, r1),
             run(HKCU, r1), key(HKCU, k1)}};
}

// f3 holds f2. Its program lying directly in the all-users data folder goes by its own name, never
// the folder's other programs: any user can make the folder that detects the product.
RogueEntry WinwebSecurity() {
    REF(p1, "WinwebSecurity.exe");
    REF(f1, "\\Winweb Security\\");
    REF(f2, "\\Winweb Security\\Bases");
    REF(f3, "\\Winweb Security");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\WinwebSecurity");
    return {20, "Winweb Security", "Winweb Security",
            {proc(p1), dir(CA, f1)},
            {kill(p1), wait(1000), empty(CA, f2), empty(CA, f3), rmdir(CA, f2), rmdir(CA, f3), del(CA, p1),
             run(HKLM, r1), run(HKCU, r1)}};
}

// The data folder f3 lies inside AD\f2.
RogueEntry AntispywareGuard() {
    REF(p1, "AntispywareGuard.exe");
    REF(f1, "\\Antispyware Guard\\");
    REF(f2, "\\Antispyware Guard");
    REF(f3, "\\Antispyware Guard\\Data");
    REF(f4, "\\AntispywareGuardSetup.exe");
    REF(f5, "\\Antispyware Guard.lnk");
    REF(f6, "\\asguard.dat");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\AntispywareGuard");
    REF(k1, "Software\\Antispyware Guard");
    REF(k2, "SOFTWARE\\Antispyware Guard");
    return {21, "Antispyware Guard", "Antispyware Guard",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PR, f2), empty(AD, f3), empty(AD, f2), del(TMP, f4),
             rmdir(AD, f3), rmdir(AD, f2), rmdir(PF, f2), rmdir(PR, f2), del(DT, f5), del(AD, f6), run(HKLM, r1),
             run(HKCU, r1), key(HKCU, k1), key(HKLM, k2)}};
}

RogueEntry RapidAntivirus() {
    REF(p1, "RapidAntivirus.exe");
    REF(p2, "rapidav_tray.exe");
    REF(f1, "\\Rapid Antivirus\\");
    REF(f2, "\\Rapid Antivirus");
    REF(f3, "\\Rapid Antivirus.lnk");
    REF(k1, "Software\\Rapid Antivirus");
    REF(k2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rapid Antivirus");
    return {22, "Rapid Antivirus", "Rapid Antivirus",
            {proc(p1), proc(p2), dir(PF, f1)},
            {kill(p1), kill(p2), wait(1000), empty(PF, f2), empty(PR, f2), empty(AD, f2), empty(CP, f2),
             rmdir(PF, f2), rmdir(PR, f2), rmdir(AD, f2), rmdir(CP, f2), del(DT, f3), key(HKCU, k1),
             key(HKCU, k2)}};
}

RogueEntry Antispyware2008() {
    REF(p1, "Antispyware2008.exe");
    REF(f1, "\\Antispyware 2008\\");
    REF(f2, "\\Antispyware 2008");
    REF(f3, "\\Antispyware 2008.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Antispyware2008");
    REF(k1, "Software\\Antispyware 2008");
    return {23, "Antispyware 2008", "Antispyware 2008",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PR, f2), rmdir(PF, f2), rmdir(PR, f2), del(DT, f3),
             run(HKLM, r1), run(HKCU, r1), key(HKCU, k1)}};
}
