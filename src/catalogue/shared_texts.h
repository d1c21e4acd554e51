#pragma once
// Stored texts that several entries, or an entry and the sweep, use as one and the same text.
#include "system/signature.h"

namespace shared_text {

// Run value of Micro Antivirus 2009 and Ultra Antivirus 2009.
inline constexpr const char* AntivirusSystemRunValue =
    SIG("Software\\Microsoft\\Windows\\CurrentVersion\\Run\\AntivirusSystem");
// Desktop link dropped by Antivirus 2009 and Pro Antispyware 2009.
inline constexpr const char* SecurityGuideLink = SIG("\\Online Security Guide.url");
// Dropper that comes with Pro Antispyware 2009 and Virus Response Lab 2009.
inline constexpr const char* BraviaxProcess = SIG("braviax.exe");
// System folder library of XP Antispyware 2009 and Antivirus Pro 2009.
inline constexpr const char* IeHelperLibrary = SIG("\\iehelper32.dll");
// Vendor key of SpywareSTOP and PC Protection Center 2008.
inline constexpr const char* ProtectionCenterKey = SIG("Software\\Protection Center Software");
// Run value of Privacy Commander and XLG Privacy Control Center.
inline constexpr const char* PrivacyCenterRunValue =
    SIG("Software\\Microsoft\\Windows\\CurrentVersion\\Run\\PrivacyCenter");

// SpyProtector's three programs, which the sweep also stops on every scan.
inline constexpr const char* SpyProtectorProcess = SIG("SpyProtector.exe");
inline constexpr const char* SpyProtectorUpdateProcess = SIG("SpyProtectorUpdate.exe");
inline constexpr const char* SpyProtectorServiceProcess = SIG("spprotect_svc.exe");

// XLG Privacy Control Center's uninstaller and its setup file in Program Files, also handled by the sweep.
inline constexpr const char* XlgUninstaller = SIG("\\XLG Privacy Control Center\\uninstall.exe");
inline constexpr const char* XlgSetupFile = SIG("\\XLGSetup.exe");

}  // namespace shared_text
