// The report as one JSON document: the text report's content, field by field.
#include <cstdio>

#include "scan/scan_report.h"
#include "scan/settings_items.h"
#include "system/text_codes.h"

namespace {

constexpr int kSchemaVersion = 1;

// JSON text from UTF-16 as the system hands it over. A lone surrogate, which a file name may
// hold, becomes its \u escape rather than a replacement character, so the name stays exact.
std::string Quoted(const std::wstring& text) {
    std::string out = "\"";
    auto escape = [&out](unsigned unit) {
        char buffer[8];
        std::snprintf(buffer, sizeof(buffer), "\\u%04x", unit);
        out += buffer;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned c = text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            escape(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            const unsigned point = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            out += static_cast<char>(0xF0 | (point >> 18));
            out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            escape(c);
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out + "\"";
}

std::string Quoted(const std::string& ansi) { return Quoted(FromAnsi(ansi)); }
std::string Quoted(const char* ansi) { return Quoted(FromAnsi(ansi)); }

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string UtcText(const SYSTEMTIME& t) {
    char text[40];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return Quoted(std::string(text));
}

// Items joined into an array, one a line.
class Array {
public:
    void Add(const std::string& item) { items_ += (items_.empty() ? "\n" : ",\n") + item; }
    std::string Text() const { return "[" + items_ + (items_.empty() ? "]" : "\n]"); }

private:
    std::string items_;
};

// Members of one object in the order added.
class Object {
public:
    Object& Field(const char* name, const std::string& json) {
        members_ += std::string(members_.empty() ? "" : ", ") + "\"" + name + "\": " + json;
        return *this;
    }
    std::string Text() const { return "{" + members_ + "}"; }

private:
    std::string members_;
};

std::string ObjectsJson(const std::vector<ActedObject>& objects) {
    Array array;
    for (const ActedObject& object : objects) {
        array.Add(Object()
                      .Field("kind", Quoted(ObjectKindText(object.kind)))
                      .Field("path", Quoted(object.path))
                      .Field("name", Quoted(object.name))
                      .Field("id", std::to_string(object.processId))
                      .Field("outcome", Quoted(OutcomeText(object.kind, object.outcome)))
                      .Field("reason", Quoted(object.reason))
                      .Field("user", Quoted(object.userSid.empty() ? std::wstring(L"machine") : object.userSid))
                      .Field("userName", Quoted(object.userName))
                      .Field("view", Quoted(object.view))
                      .Text());
    }
    return array.Text();
}

std::string RowsJson(const std::vector<std::pair<std::wstring, std::wstring>>& rows, const char* second) {
    Array array;
    for (const auto& [label, status] : rows)
        array.Add(Object().Field("label", Quoted(label)).Field(second, Quoted(status)).Text());
    return array.Text();
}

}  // namespace

std::string ScanReportJson(const ScanReport& report) {
    Array switches, optionsChosen, productsChosen, cleaning, findings, products, errors;
    for (const std::wstring& argument : report.arguments) switches.Add(Quoted(argument));
    for (std::size_t i = 0; i < report.options.size() && i < report.optionNumbers.size(); ++i)
        optionsChosen.Add(
            Object().Field("number", std::to_string(report.optionNumbers[i])).Field("caption", Quoted(report.options[i])).Text());
    for (const std::wstring& product : report.products) productsChosen.Add(Quoted(product));
    std::string sweepObjects = "[]";
    for (const ScanSection& section : report.sections) {
        switch (section.kind) {
            case ScanSection::Kind::Option:
                cleaning.Add(Object()
                                 .Field("number", std::to_string(OptionPageNumber(section.number)))
                                 .Field("caption", Quoted(section.name))
                                 .Field("skipped", Bool(!section.result.empty()))
                                 .Field("status", Quoted(section.result))
                                 .Field("objects", ObjectsJson(section.objects))
                                 .Text());
                break;
            case ScanSection::Kind::Sweep: sweepObjects = ObjectsJson(section.objects); break;
            case ScanSection::Kind::Product:
                products.Add(Object()
                                 .Field("name", Quoted(section.name))
                                 .Field("label", Quoted(section.label))
                                 .Field("found", Bool(section.found))
                                 .Field("result", Quoted(section.result))
                                 .Field("objects", ObjectsJson(section.objects))
                                 .Text());
                break;
        }
    }
    for (const std::wstring& notice : report.notices) errors.Add(Quoted(notice));
    if (!report.error.empty()) errors.Add(Quoted(report.error));
    const std::string document = Object()
        .Field("schemaVersion", std::to_string(kSchemaVersion))
        .Field("program", Quoted("Zarvex"))
        .Field("version", Quoted(ZARVEX_VERSION_TEXT))
        .Field("catalogue", Quoted(report.catalogue))
        .Field("started", UtcText(report.startedUtc))
        .Field("ended", UtcText(report.endedUtc))
        .Field("computer", Quoted(report.computer))
        .Field("user", Quoted(report.user))
        .Field("switches", switches.Text())
        .Field("scanned", Bool(report.scanned))
        .Field("detectOnly", Bool(report.detectOnly))
        .Field("everyUser", Bool(report.everyUser))
        .Field("cleanEveryUser", Bool(report.cleanedEveryUser))
        .Field("options", optionsChosen.Text())
        .Field("allProducts", Bool(report.allProducts))
        .Field("products", productsChosen.Text())
        .Field("results", RowsJson(report.rows, "status"))
        .Field("skipped", RowsJson(report.refusals, "status"))
        .Field("cleaning", cleaning.Text())
        .Field("sweep", sweepObjects)
        .Field("productResults", products.Text())
        .Field("errors", errors.Text())
        .Field("updateCheck", Quoted(OneLine(report.updateCheck)))
        .Field("exitCode", std::to_string(report.exitCode))
        .Text();
    return document + "\n";
}
