#pragma once
#include <string>

// The version named by "Version.ini" beside the program: the five characters after its first
// "version="; empty when there is none.
std::string ReadLocalVersion();
// Asks whether to open the home page for the new version, and opens it on Yes.
void OfferNewVersion();
// The five characters after the first "version=" of a text, or nothing when it has none.
bool FindVersion(const std::string& text, std::string& version);
