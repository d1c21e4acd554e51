#include "cli/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "scan/settings_items.h"
#include "system/text_codes.h"

namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring Trimmed(const std::wstring& text) {
    const wchar_t* blanks = L" \t";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Items between commas, trimmed; an empty item is kept so that it can be refused.
std::vector<std::wstring> ListItems(const std::wstring& list) {
    std::vector<std::wstring> items;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(L',', start);
        items.push_back(Trimmed(list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start)));
        if (comma == std::wstring::npos) return items;
        start = comma + 1;
    }
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Each reader returns what is wrong with its list; empty when nothing is.
std::wstring ReadOptions(const std::wstring& list, CommandLine& line) {
    line.options.fill(false);
    if (SameText(Trimmed(list), L"none")) return std::wstring();
    for (const std::wstring& item : ListItems(list)) {
        int box = item.size() == 1 && item[0] >= L'1' && item[0] <= L'7' ? OptionBoxOfPageNumber(item[0] - L'0') : 0;
        if (box == 0)
            return L"Unknown option " + Quoted(item) + L" in /options: give numbers from 1 to " +
                   std::to_wstring(kOptionCount) + L", separated by commas, or none.";
        line.options[static_cast<size_t>(box)] = true;
    }
    return std::wstring();
}

std::wstring ReadProducts(const std::wstring& list, CommandLine& line) {
    line.products.fill(false);
    const auto names = ProductNames();
    for (const std::wstring& item : ListItems(list)) {
        if (SameText(item, L"all")) {
            line.products.fill(true);
            continue;
        }
        bool known = false;
        for (size_t i = 0; i < names.size() && i < line.products.size(); ++i) {
            if (!SameText(item, FromAnsi(names[i]))) continue;
            line.products[i] = true;
            known = true;
        }
        if (!known)
            return L"Unknown product " + Quoted(item) +
                   L" in /products: give names as the Settings page lists them, separated by commas, or all.";
    }
    return std::wstring();
}

std::wstring ReadFormat(const std::wstring& value, CommandLine& line) {
    const std::wstring format = Trimmed(value);
    line.json = SameText(format, L"json");
    if (line.json || SameText(format, L"text")) return std::wstring();
    return L"Unknown format " + Quoted(format) + L" in /format: give text or json.";
}

struct LocalMemoryOwner {
    void operator()(LPWSTR* p) const { LocalFree(p); }
};

// Whether anything follows the program's name, which is quoted or ends at the first blank.
bool HasArguments(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return *line != 0;
}

}  // namespace

std::vector<std::wstring> ProgramArguments() {
    // The usual start has none; it then need not load the shell to split them.
    if (!HasArguments(GetCommandLineW())) return {};
    int count = 0;
    std::unique_ptr<LPWSTR, LocalMemoryOwner> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv.get()[i]);
    return arguments;
}

CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLine line;
    line.arguments = arguments;
    bool reportGiven = false;
    bool formatGiven = false;
    // The first fault is the one named; reading goes on so that /quiet and /report still count.
    auto fault = [&line](const std::wstring& error) {
        if (line.error.empty()) line.error = error;
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
            fault(L"Unexpected argument " + Quoted(argument) + L".");
            continue;
        }
        const std::wstring name = argument.substr(1);
        if (SameText(name, L"scan")) line.scan = true;
        else if (SameText(name, L"quiet")) line.quiet = true;
        else if (SameText(name, L"noupdate")) line.noUpdate = true;
        else if (SameText(name, L"detect")) line.detect = true;
        else if (SameText(name, L"allusers")) line.allUsers = true;
        else if (name == L"?") line.usage = true;
        else if (SameText(name, L"report") || SameText(name, L"format") || SameText(name, L"options") ||
                 SameText(name, L"products")) {
            // A value switch takes the next argument, unless it is missing or is itself a switch.
            const bool hasValue = i + 1 < arguments.size() && !arguments[i + 1].empty() &&
                                  arguments[i + 1][0] != L'/' && arguments[i + 1][0] != L'-';
            const bool twice = SameText(name, L"report")    ? reportGiven
                               : SameText(name, L"format")  ? formatGiven
                               : SameText(name, L"options") ? line.optionsGiven
                                                            : line.productsGiven;
            if (twice) {
                fault(L"/" + name + L" is given twice.");
                if (hasValue) ++i;
            } else if (!hasValue) {
                fault(L"/" + name + L" needs a value after it.");
            } else if (SameText(name, L"report")) {
                reportGiven = true;
                line.reportPath = arguments[++i];
            } else if (SameText(name, L"format")) {
                formatGiven = true;
                fault(ReadFormat(arguments[++i], line));
            } else if (SameText(name, L"options")) {
                line.optionsGiven = true;
                fault(ReadOptions(arguments[++i], line));
            } else {
                line.productsGiven = true;
                fault(ReadProducts(arguments[++i], line));
            }
        } else {
            fault(L"Unknown switch " + Quoted(argument) + L".");
        }
    }
    if (line.error.empty() && !line.scan && !line.usage) {
        // Without /scan these would do nothing, which a script's author would not notice.
        const wchar_t* alone = line.quiet ? L"/quiet" : reportGiven ? L"/report" : line.optionsGiven ? L"/options"
                               : line.productsGiven ? L"/products" : nullptr;
        if (alone) line.error = std::wstring(alone) + L" works only together with /scan.";
    }
    if (line.error.empty() && formatGiven && !reportGiven) line.error = L"/format works only together with /report.";
    // With anything else it would run nothing the script asked for, and a 0 would read as clean.
    if (line.error.empty() && line.usage && arguments.size() > 1) line.error = L"/? works only alone.";
    return line;
}

namespace {
// Blanks and quotes, and the control characters the report's one-line rule turns into blanks,
// which must then stay inside quotes.
bool NeedsQuotes(wchar_t c) {
    return c <= L' ' || c == L'"' || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}
}  // namespace

std::wstring CommandLineArgument(const std::wstring& argument) {
    bool plain = !argument.empty();
    for (wchar_t c : argument) plain = plain && !NeedsQuotes(c);
    if (plain) return argument;
    // Backslashes are plain characters unless a quote follows them; before a quote, and before
    // the closing one, each is doubled, and the quote itself gets one of its own.
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring JoinArguments(const std::vector<std::wstring>& arguments) {
    std::wstring joined;
    for (const std::wstring& argument : arguments) {
        if (!joined.empty()) joined += L' ';
        joined += CommandLineArgument(argument);
    }
    return joined;
}
