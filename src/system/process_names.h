#pragma once
// How the process walks compare an entry's executable text with a wanted name.
#include <string>

// The last part of the text (system/wide_paths.h), and of that what follows its last ':', as after
// a drive ("C:zvx.exe") or in a stream ("notes.txt:zvx.exe"); the whole text when there is neither.
std::string ExeNamePart(const std::string& exeFile);
// The name part of exeFile, or else the whole exeFile, equals the name, ASCII case folded.
// An empty name matches nothing.
bool ExeNameMatches(const std::string& exeFile, const std::string& name);
