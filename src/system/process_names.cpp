#include "system/process_names.h"

#include "system/text_codes.h"
#include "system/wide_paths.h"

std::string ExeNamePart(const std::string& exeFile) {
    const std::string last = LastPathPart(exeFile);
    return last.substr(last.find_last_of(':') + 1);
}

bool ExeNameMatches(const std::string& exeFile, const std::string& name) {
    if (name.empty()) return false;
    std::string wanted = UpperAscii(name);
    return UpperAscii(ExeNamePart(exeFile)) == wanted || UpperAscii(exeFile) == wanted;
}
