#include "catalogue/catalogue_identity.h"

#include "catalogue/rogue_catalogue.h"
#include "catalogue/sweep.h"
#include "system/sha256.h"

namespace {

void AddText(std::string& texts, const SignatureRef& ref) {
    if (!ref.text) return;
    texts += ref.text;
    texts += '\n';
}

}  // namespace

std::string CatalogueIdentity() {
    std::string texts;
    for (const RogueEntry& entry : RogueCatalogue()) {
        for (const DetectCheck& check : entry.checks) AddText(texts, check.operand);
        for (const RemovalStep& step : entry.steps) AddText(texts, step.operand);
    }
    for (const SweepStep& step : SweepSteps()) {
        AddText(texts, step.removal.operand);
        AddText(texts, step.first);
        AddText(texts, step.second);
    }
    return Sha256Hex(texts);
}
