#pragma once
// A product made present as its detection sees it: its program folder with files, its keys and
// its programs running from that folder. Everything goes with the Planting.
#include <string>
#include <vector>

#include "catalogue/rogue_entry.h"
#include "support/planting.h"

// The catalogue entry with that check-list index (0 to 32).
const RogueEntry& EntryAtIndex(int checkListIndex);
// Plants what the entry's detect checks look for and returns its running programs.
std::vector<const WaiterProcess*> PlantDetectedTraces(const RogueEntry& entry, Planting& planting);
// The folder of the entry's first folder check, without a trailing separator ("" when none).
std::string ProgramFolderOf(const RogueEntry& entry);
// What the product's Run values hold as it sets them: its first program in its folder, quoted.
std::string RunValueData(const RogueEntry& entry);
