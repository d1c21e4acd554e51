// Scan positions 9 to 16.
#include "catalogue/catalogue_entries.h"
#include "catalogue/entry_notation.h"
#include "catalogue/shared_texts.h"

using namespace entry_notation;

// f1 and f4 are the program folder, which holds f2 and f3; the Programs folder f4 is only emptied.
RogueEntry XpAntispyware2009() {
    REF(p1, "XPAntispyware.exe");
    REF(f1, "\\XP Antispyware 2009\\");
    REF(f2, "\\XP Antispyware 2009\\Quarantine");
    REF(f3, "\\XP Antispyware 2009\\Logs");
    REF(f4, "\\XP Antispyware 2009");
    REF(f5, "\\XP Antispyware 2009.lnk");
    SHARED_REF(f6, shared_text::IeHelperLibrary);
    REF(f7, "\\xpas2009.dat");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\XPAntispyware");
    return {8, "XP Antispyware 2009", "XP Antispyware 2009",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f1), empty(PF, f2), empty(PF, f3), empty(PR, f4), rmdir(PF, f2),
             rmdir(PF, f3), rmdir(PF, f4), del(DT, f5), del(SYS, f6), del(AD, f7), run(HKLM, r1),
             run(HKCU, r1)}};
}

RogueEntry VirusTrigger() {
    REF(p1, "VirusTrigger.exe");
    REF(f1, "\\VirusTrigger\\");
    REF(f2, "\\VirusTrigger");
    REF(f3, "\\VirusTrigger");
    REF(f4, "\\VirusTrigger.lnk");
    REF(f5, "\\VirusTrigger.dat");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\VirusTrigger");
    REF(k1, "Software\\VirusTrigger");
    return {9, "VirusTrigger", "VirusTrigger",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PR, f3), rmdir(PF, f2), rmdir(PR, f3), del(DT, f4),
             del(SM, f4), del(AD, f5), run(HKLM, r1), run(HKCU, r1), key(HKCU, k1)}};
}

// A list of its own: VirusTrigger's list would stop neither this program nor remove its folder.
RogueEntry XpSecurityCenter() {
    REF(p1, "XPSecurityCenter.exe");
    REF(f1, "\\XP SecurityCenter\\");
    REF(f2, "\\XP SecurityCenter");
    REF(f3, "\\XP SecurityCenter.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\XPSecurityCenter");
    REF(k1, "Software\\XP SecurityCenter");
    return {10, "XP SecurityCenter", "XP SecurityCenter",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), rmdir(PF, f2), del(DT, f3), run(HKLM, r1), run(HKCU, r1),
             key(HKCU, k1)}};
}

RogueEntry SpywareGuard2008() {
    REF(p1, "spywareguard.exe");
    REF(f1, "\\Spyware Guard 2008\\");
    REF(f2, "\\Spyware Guard 2008");
    REF(f3, "\\Spyware Guard 2008\\Quarantine");
    REF(f4, "\\Spyware Guard 2008.lnk");
    REF(f5, "\\reged.exe");
    REF(f6, "\\spoolsystem.exe");
    REF(f7, "\\sys.com");
    REF(f8, "\\syscert.exe");
    REF(f9, "\\sysexplorer.exe");
    REF(f10, "\\vmreg.dll");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\spywareguard");
    REF(k1, "Software\\Spyware Guard");
    REF(k2, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Spyware Guard 2008");
    return {11, "Spyware Guard 2008", "Spyware Guard 2008",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PF, f3), empty(PR, f2), rmdir(PF, f3), rmdir(PF, f2),
             rmdir(PR, f2), del(DT, f4), del(WIN, f5), del(WIN, f6), del(WIN, f7), del(WIN, f8), del(WIN, f9),
             del(WIN, f10), run(HKLM, r1), run(HKCU, r1), key(HKCU, k1), key(HKLM, k2)}};
}

RogueEntry WinDefender2009() {
    REF(p1, "wd2009.exe");
    REF(f1, "\\WinDefender 2009\\");
    REF(f2, "\\WinDefender 2009");
    REF(f3, "\\WinDefender 2009.lnk");
    REF(f4, "\\wd2009svc.exe");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\wd2009");
    REF(k1, "Software\\WinDefender 2009");
    REF(k2, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\WinDefender 2009");
    return {12, "WinDefender 2009", "WinDefender 2009",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), rmdir(PF, f2), del(DT, f3), del(WIN, f4), run(HKLM, r1),
             run(HKCU, r1), key(HKCU, k1), key(HKLM, k2)}};
}

RogueEntry AntispyKnight() {
    REF(p1, "AntispyKnight.exe");
    REF(f1, "\\AntispyKnight\\");
    REF(f2, "\\AntispyKnight");
    REF(f3, "\\AntispyKnight.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\AntispyKnight");
    REF(k1, "Software\\AntispyKnight");
    return {13, "AntispyKnight", "AntispyKnight",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), rmdir(PF, f2), del(DT, f3), empty(PR, f2), rmdir(PR, f2),
             run(HKLM, r1), run(HKCU, r1), key(HKCU, k1)}};
}

// f1 and f5 are the program folder; its read-only database f2 goes first, then f3 and f4 inside it.
RogueEntry AntivirusPro2009() {
    REF(p1, "AntivirusPro2009.exe");
    REF(f1, "\\Antivirus Pro 2009\\");
    REF(f2, "\\Antivirus Pro 2009\\avbase.dat");
    REF(f3, "\\Antivirus Pro 2009\\Quarantine");
    REF(f4, "\\Antivirus Pro 2009\\Logs");
    REF(f5, "\\Antivirus Pro 2009");
    REF(f6, "\\Antivirus Pro 2009.lnk");
    SHARED_REF(f7, shared_text::IeHelperLibrary);
    REF(f8, "\\avpro2009.dat");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\antiviruspro2009");
    REF(k1, "Software\\Antivirus Pro 2009");
    REF(k2, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\antiviruspro2009");
    return {14, "Antivirus Pro 2009", "Antivirus Pro 2009",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), rodel(PF, f2), empty(PF, f1), empty(PF, f3), empty(PF, f4), empty(PR, f5, x2),
             rmdir(PR, f5), rmdir(PF, f3), rmdir(PF, f4), rmdir(PF, f5), del(DT, f6), del(SYS, f7), del(AD, f8),
             run(HKLM, r1), run(HKCU, r1), key(HKCU, k1), key(HKLM, k2)}};
}

// f3 holds f4; f5 is f3 again, so its removal is a second attempt on the bases folder.
RogueEntry InternetAntivirusPro() {
    REF(p1, "InternetAntivirusPro.exe");
    REF(f1, "\\Internet Antivirus Pro\\");
    REF(f2, "\\Internet Antivirus Pro");
    REF(f3, "\\Internet Antivirus Pro\\Bases");
    REF(f4, "\\Internet Antivirus Pro\\Bases\\Updates");
    REF(f5, "\\Internet Antivirus Pro\\Bases\\");
    REF(f6, "\\iapro.dat");
    REF(f7, "\\Internet Antivirus Pro.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\InternetAntivirusPro");
    REF(k1, "SOFTWARE\\Internet Antivirus Pro");
    return {15, "Internet Antivirus Pro", "Internet Antivirus Pro",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PF, f3, x2), empty(PF, f4), empty(PR, f2), empty(AD, f2),
             rmdir(PR, f2), rmdir(PF, f4), rmdir(PF, f5), rmdir(PF, f3), rmdir(PF, f2), del(AD, f6), del(DT, f7),
             run(HKLM, r1), run(HKCU, r1), key(HKLM, k1)}};
}
