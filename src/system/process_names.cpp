#include "system/process_names.h"

#include "system/wide_paths.h"

std::string ExeNamePart(const std::string& exeFile) {
    const std::string last = LastPathPart(exeFile);
    return last.substr(last.find_last_of(':') + 1);
}

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool ExeNameMatches(const std::string& exeFile, const std::string& name) {
    if (name.empty()) return false;
    std::string wanted = AsciiUpper(name);
    return AsciiUpper(ExeNamePart(exeFile)) == wanted || AsciiUpper(exeFile) == wanted;
}
