// Scan positions 25 to 33. The uninstallers are started hidden, from the product's own folder.
#include "catalogue/catalogue_entries.h"
#include "catalogue/entry_notation.h"
#include "catalogue/shared_texts.h"

using namespace entry_notation;

RogueEntry PerfectDefender2009() {
    REF(p1, "PerfectDefender.exe");
    REF(p2, "pdtray.exe");
    REF(c1, "\\Perfect Defender 2009\\uninstall.exe");
    REF(f1, "\\Perfect Defender 2009\\");
    REF(f2, "\\Perfect Defender 2009");
    REF(f3, "\\Perfect Defender 2009.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\PerfectDefender");
    REF(k1, "Software\\Perfect Defender 2009");
    return {24, "Perfect Defender 2009", "Perfect Defender 2009",
            {proc(p1), proc(p2), dir(PF, f1)},
            {kill(p1), kill(p2), wait(1000), uninstall(c1), empty(PF, f2), empty(PR, f2), rmdir(PF, f2), rmdir(PR, f2),
             del(DT, f3), run(HKLM, r1), run(HKCU, r1), key(HKCU, k1)}};
}

RogueEntry XpProtectionCenter() {
    REF(p1, "XPProtectionCenter.exe");
    REF(c1, "\\XP Protection Center\\uninstall.exe");
    REF(c2, "\\XP Protection Center\\uninst.exe");
    REF(c3, "\\XP Protection Center\\unins000.exe");
    REF(f1, "\\XP Protection Center\\");
    REF(f2, "\\XP Protection Center");
    REF(f3, "\\XP Protection Center.lnk");
    REF(f4, "\\XP Protection Center Online.url");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\XPProtectionCenter");
    REF(k1, "Software\\XP Protection Center");
    return {25, "XP Protection Center", "XP Protection Center",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), uninstall(c1), uninstall(c2), uninstall(c3), empty(PF, f2), empty(PR, f2), rmdir(PF, f2),
             rmdir(PR, f2), del(DT, f3), del(DT, f4), run(HKLM, r1), run(HKCU, r1), key(HKCU, k1)}};
}

// p2 is the product's own uninstaller: stopped with the rest, started hidden again at the end from
// the product's folder (c2), when it is still there.
RogueEntry VirusResponseLab2009() {
    REF(p1, "VRLab.exe");
    REF(p2, "vrl_uninstall.exe");
    SHARED_REF(p3, shared_text::BraviaxProcess);
    REF(c1, "\\Virus Response Lab 2009\\uninstall.exe");
    REF(c2, "\\Virus Response Lab 2009\\vrl_uninstall.exe");
    REF(f1, "\\Virus Response Lab 2009\\");
    REF(f2, "\\Virus Response Lab 2009");
    REF(f3, "\\Virus Response Lab 2009.lnk");
    REF(f4, "\\Virus Response Lab 2009 Online.url");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\VRLab");
    REF(k1, "Software\\Virus Response Lab 2009");
    REF(k2, "SOFTWARE\\Virus Response Lab 2009");
    REF(k3, "CLSID\\{C3A1E7F2-94B6-4D05-8E3F-6A2B1D9C7E40}");
    REF(k4, "TypeLib\\{71D5B0A8-2E9C-4F63-B1A4-E8C3F5D20967}");
    return {26, "Virus Response Lab 2009", "Virus Response Lab 2009",
            {proc(p1), dir(PF, f1)},
            {kill(p1), kill(p2), kill(p3), wait(1000), uninstall(c1), empty(PF, f2), empty(PR, f2), rmdir(PF, f2),
             rmdir(PR, f2), del(DT, f3), del(DT, f4), run(HKLM, r1), run(HKCU, r1), key(HKCU, k1), key(HKLM, k2),
             key(HKCR, k3), key(HKCR, k4), uninstall(c2)}};
}

RogueEntry AntivirusPro() {
    REF(p1, "AntivirusPro.exe");
    REF(f1, "\\AntivirusPro\\");
    REF(f2, "\\AntivirusPro");
    REF(f3, "\\AntivirusPro.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\AntivirusPro");
    REF(k1, "SOFTWARE\\AntivirusPro");
    return {27, "AntivirusPro", "AntivirusPro",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PR, f2), rmdir(PF, f2), rmdir(PR, f2), del(DT, f3),
             run(HKLM, r1), run(HKCU, r1), key(HKLM, k1)}};
}

// f5 is the program folder and holds f2 to f4.
RogueEntry PrivacyCommander() {
    REF(p1, "PrivacyCommander.exe");
    REF(p2, "pcmdtray.exe");
    REF(f1, "\\Privacy Commander\\");
    REF(f2, "\\Privacy Commander\\Logs");
    REF(f3, "\\Privacy Commander\\Data");
    REF(f4, "\\Privacy Commander\\Updates");
    REF(f5, "\\Privacy Commander");
    REF(f6, "\\Privacy Commander.lnk");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\PrivacyCommander");
    SHARED_REF(r2, shared_text::PrivacyCenterRunValue);
    REF(k1, "SOFTWARE\\Privacy Commander");
    REF(k2, "Software\\Privacy Commander");
    return {28, "Privacy Commander", "Privacy Commander",
            {proc(p1), dir(PF, f1)},
            {kill(p1), kill(p2), wait(1000), empty(PF, f2), empty(PF, f3), empty(PF, f4), empty(PF, f5),
             empty(PR, f5, x2), rmdir(PF, f2), rmdir(PF, f3), rmdir(PF, f4), rmdir(PF, f5), rmdir(PR, f5),
             del(DT, f6), run(HKLM, r1), run(HKCU, r1), key(HKLM, k1), key(HKCU, k2), run(HKCU, r2)}};
}

RogueEntry VirusRemover2008() {
    REF(p1, "VirusRemover2008.exe");
    REF(f1, "\\Virus Remover 2008\\");
    REF(f2, "\\Virus Remover 2008");
    REF(f3, "\\Virus Remover 2008.lnk");
    REF(f4, "\\vr2008.dat");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\VirusRemover2008");
    REF(k1, "SOFTWARE\\Virus Remover 2008");
    REF(k2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Virus Remover 2008");
    return {29, "Virus Remover 2008", "Virus Remover 2008",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(PR, f2), rmdir(PF, f2), rmdir(PR, f2), del(DT, f3),
             del(AD, f4), run(HKLM, r1), run(HKCU, r1), key(HKLM, k1), key(HKCU, k2), key(HKLM, k2)}};
}

// PF\f2 holds f3; the second Programs folder f4 lies beside f2, not inside it.
RogueEntry SecureExpertCleaner() {
    REF(p1, "SecureExpertCleaner.exe");
    REF(p2, "secleaner_tray.exe");
    REF(p3, "secupdate.exe");
    REF(c1, "\\Secure Expert Cleaner\\uninstall.exe");
    REF(f1, "\\Secure Expert Cleaner\\");
    REF(f2, "\\Secure Expert Cleaner");
    REF(f3, "\\Secure Expert Cleaner\\Data");
    REF(f4, "\\Secure Expert");
    REF(f5, "\\SecureExpertCleaner");
    REF(f6, "\\SECleaner");
    REF(f7, "\\Secure Expert Cleaner.lnk");
    REF(f8, "\\Secure Expert Cleaner Online.url");
    REF(f9, "\\secleaner.dat");
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\SecureExpertCleaner");
    REF(r2, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\secleaner_tray");
    REF(r3, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\secupdate");
    REF(k1, "Software\\Secure Expert Cleaner");
    REF(k2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Secure Expert Cleaner");
    REF(k3, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\SecureExpertCleaner.exe");
    REF(k4, "CLSID\\{4F9B2D61-A7C3-4E18-9D05-B3E6F1A28C7D}");
    REF(k5, "TypeLib\\{E2C84A17-5B3F-4D96-A0E1-7C9D3B6F4258}");
    REF(k6, "Interface\\{9A6E3F04-D182-47BC-8F5A-2E1B7C40D93E}");
    REF(k7, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Secure Expert Cleaner");
    return {30, "Secure Expert Cleaner", "Secure Expert Cleaner",
            {proc(p1), dir(PF, f1)},
            {kill(p1), kill(p2), kill(p3), wait(1000), uninstall(c1), empty(PF, f2), empty(PF, f3), empty(PR, f2),
             empty(PR, f4), empty(AD, f5), empty(CA, f6), rmdir(PF, f3), rmdir(PF, f2), rmdir(PR, f2),
             rmdir(PR, f4), rmdir(AD, f5), rmdir(CA, f6), del(DT, f7), del(DT, f8), del(AD, f9), run(HKLM, r1),
             run(HKCU, r1), run(HKLM, r2), run(HKLM, r3), key(HKCU, k1), key(HKLM, k1), key(HKCU, k2),
             key(HKLM, k3), key(HKCU, k3), key(HKCR, k4), key(HKCR, k5), key(HKCR, k6), key(HKLM, k7)}};
}

// f4 is the program folder and holds f2, which holds f3. The setup file f5 lies directly in
// Program Files, outside the folder, so its late deletion does not keep the folder.
RogueEntry XlgPrivacyControlCenter() {
    REF(p1, "xlgpcc.exe");
    REF(p2, "xlgtray.exe");
    REF(c1, "\\XLG Privacy Control Center\\unins000.exe");
    SHARED_REF(c2, shared_text::XlgUninstaller);
    REF(f1, "\\XLG Privacy Control Center\\");
    REF(f2, "\\XLG Privacy Control Center\\Data");
    REF(f3, "\\XLG Privacy Control Center\\Data\\Logs");
    REF(f4, "\\XLG Privacy Control Center");
    SHARED_REF(f5, shared_text::XlgSetupFile);
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\xlgpcc");
    SHARED_REF(r2, shared_text::PrivacyCenterRunValue);
    REF(k1, "Software\\XLG Privacy Control Center");
    return {31, "XLG Privacy Control Center", "XLG Privacy Control Center",
            {proc(p1), proc(p2), dir(PF, f1)},
            {kill(p1), kill(p2), wait(1000), uninstall(c1), uninstall(c2), empty(PF, f2), empty(PF, f3), empty(PF, f4),
             empty(PR, f4), rmdir(PF, f3), rmdir(PF, f2), rmdir(PF, f4), rmdir(PR, f4), del(PF, f5), run(HKLM, r1),
             run(HKCU, r1), key(HKCU, k1), run(HKCU, r2)}};
}

// The Start menu folder f3 is its programs group.
RogueEntry Antivirus360() {
    REF(p1, "av360.exe");
    REF(f1, "\\Antivirus 360\\");
    REF(f2, "\\Antivirus 360");
    REF(f3, "\\Programs\\Antivirus 360");
    REF(f4, "\\Antivirus 360.lnk");
    return {32, "Antivirus 360", "Antivirus 360",
            {proc(p1), dir(PF, f1)},
            {kill(p1), wait(1000), empty(PF, f2), empty(SM, f3), del(DT, f4), rmdir(PF, f2), rmdir(SM, f3)}};
}
