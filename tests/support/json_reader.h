#pragma once
// A small, strict JSON reader for the tests: the report's JSON is read back without a library.
// Strings come back in UTF-16, \u escapes as the very units they name (a lone surrogate too).
#include <map>
#include <memory>
#include <string>
#include <vector>

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::wstring text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::wstring, JsonValue>> members;  // in document order

    // The member of that name; a null value when there is none.
    const JsonValue& operator[](const char* name) const;
    bool Has(const char* name) const;
};

// The document, or nothing with the reason (and where) when it is not one JSON value: bad syntax,
// bytes that are not UTF-8, a byte order mark, or anything but blanks after the value.
std::unique_ptr<JsonValue> ParseJson(const std::string& bytes, std::string* error);
