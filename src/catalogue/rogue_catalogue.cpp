#include "catalogue/rogue_catalogue.h"

#include "catalogue/catalogue_entries.h"

const std::vector<RogueEntry>& RogueCatalogue() {
    static const std::vector<RogueEntry> catalogue{
        MicroAntivirus2009(), SystemAntivirus2008(), SpyProtector(), Antivirus2009(),
        ProAntispyware2009(), UltraAntivirus2009(), MsAntivirus(), AntispywareProXp(),
        XpAntispyware2009(), VirusTrigger(), XpSecurityCenter(), SpywareGuard2008(),
        WinDefender2009(), AntispyKnight(), AntivirusPro2009(), InternetAntivirusPro(),
        AntiSpywareBot(), TotalSecure2009(), SpywareStop(), PcProtectionCenter2008(),
        WinwebSecurity(), AntispywareGuard(), RapidAntivirus(), Antispyware2008(),
        PerfectDefender2009(), XpProtectionCenter(), VirusResponseLab2009(), AntivirusPro(),
        PrivacyCommander(), VirusRemover2008(), SecureExpertCleaner(), XlgPrivacyControlCenter(),
        Antivirus360(),
    };
    return catalogue;
}
