#include "support/json_reader.h"

#include <cstdlib>

namespace {

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}

    bool Document(JsonValue& value) {
        Blanks();
        if (!Value(value, 0)) return false;
        Blanks();
        return at_ == bytes_.size() || Fail("text after the value");
    }
    std::string error;

private:
    bool Fail(const std::string& why) {
        if (error.empty()) error = why + " at byte " + std::to_string(at_);
        return false;
    }
    int Peek() const { return at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_]) : -1; }
    void Blanks() {
        while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r') ++at_;
    }
    bool Word(const char* word) {
        for (const char* c = word; *c; ++c, ++at_)
            if (Peek() != *c) return Fail(std::string("expected ") + word);
        return true;
    }

    bool Value(JsonValue& value, int depth) {
        if (depth > 64) return Fail("nested too deep");
        switch (Peek()) {
            case '{': return Object(value, depth);
            case '[': return Array(value, depth);
            case '"': value.type = JsonValue::Type::String; return String(value.text);
            case 't': value.type = JsonValue::Type::Bool; value.boolean = true; return Word("true");
            case 'f': value.type = JsonValue::Type::Bool; return Word("false");
            case 'n': return Word("null");
            default: return Number(value);
        }
    }

    bool Object(JsonValue& value, int depth) {
        value.type = JsonValue::Type::Object;
        ++at_;
        Blanks();
        if (Peek() == '}') return ++at_, true;
        for (;;) {
            Blanks();
            std::wstring name;
            if (Peek() != '"' || !String(name)) return Fail("expected a member name");
            Blanks();
            if (Peek() != ':') return Fail("expected ':'");
            ++at_;
            Blanks();
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            value.members.emplace_back(std::move(name), std::move(member));
            Blanks();
            if (Peek() == '}') return ++at_, true;
            if (Peek() != ',') return Fail("expected ',' or '}'");
            ++at_;
        }
    }

    bool Array(JsonValue& value, int depth) {
        value.type = JsonValue::Type::Array;
        ++at_;
        Blanks();
        if (Peek() == ']') return ++at_, true;
        for (;;) {
            Blanks();
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
            Blanks();
            if (Peek() == ']') return ++at_, true;
            if (Peek() != ',') return Fail("expected ',' or ']'");
            ++at_;
        }
    }

    bool Number(JsonValue& value) {
        const std::size_t start = at_;
        if (Peek() == '-') ++at_;
        if (Peek() < '0' || Peek() > '9') return Fail("expected a value");
        while (Peek() >= '0' && Peek() <= '9') ++at_;
        if (Peek() == '.') {
            ++at_;
            while (Peek() >= '0' && Peek() <= '9') ++at_;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (Peek() == '+' || Peek() == '-') ++at_;
            while (Peek() >= '0' && Peek() <= '9') ++at_;
        }
        value.type = JsonValue::Type::Number;
        value.number = std::strtod(bytes_.substr(start, at_ - start).c_str(), nullptr);
        return true;
    }

    bool Hex4(unsigned& unit) {
        unit = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            const int c = Peek();
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) return Fail("bad \\u escape");
            unit = unit * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }

    // One UTF-8 sequence, strictly: no overlong forms, no surrogates, nothing past U+10FFFF.
    bool Utf8(std::wstring& out) {
        const unsigned lead = static_cast<unsigned>(Peek());
        const int extra = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
        if (extra < 0 || lead > 0xF4) return Fail("not UTF-8");
        unsigned point = lead & (0x3F >> extra);
        ++at_;
        for (int i = 0; i < extra; ++i, ++at_) {
            const int c = Peek();
            if (c < 0x80 || c > 0xBF) return Fail("not UTF-8");
            point = point << 6 | (static_cast<unsigned>(c) & 0x3F);
        }
        const unsigned least[] = {0, 0x80, 0x800, 0x10000};
        if (point < least[extra] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return Fail("not UTF-8");
        if (point >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((point - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(point);
        }
        return true;
    }

    bool String(std::wstring& out) {
        ++at_;
        for (;;) {
            const int c = Peek();
            if (c < 0) return Fail("unended string");
            if (c == '"') return ++at_, true;
            if (c < 0x20) return Fail("control character in a string");
            if (c >= 0x80) {
                if (!Utf8(out)) return false;
                continue;
            }
            ++at_;
            if (c != '\\') {
                out += static_cast<wchar_t>(c);
                continue;
            }
            const int e = Peek();
            ++at_;
            switch (e) {
                case '"': out += L'"'; break;
                case '\\': out += L'\\'; break;
                case '/': out += L'/'; break;
                case 'b': out += L'\b'; break;
                case 'f': out += L'\f'; break;
                case 'n': out += L'\n'; break;
                case 'r': out += L'\r'; break;
                case 't': out += L'\t'; break;
                case 'u': {
                    unsigned unit = 0;
                    if (!Hex4(unit)) return false;
                    out += static_cast<wchar_t>(unit);
                    break;
                }
                default: return Fail("bad escape");
            }
        }
    }

    const std::string& bytes_;
    std::size_t at_ = 0;
};

const JsonValue kNull;

}  // namespace

const JsonValue& JsonValue::operator[](const char* name) const {
    const std::wstring wanted(name, name + std::char_traits<char>::length(name));
    for (const auto& [key, value] : members)
        if (key == wanted) return value;
    return kNull;
}

bool JsonValue::Has(const char* name) const {
    const std::wstring wanted(name, name + std::char_traits<char>::length(name));
    for (const auto& member : members)
        if (member.first == wanted) return true;
    return false;
}

std::unique_ptr<JsonValue> ParseJson(const std::string& bytes, std::string* error) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        *error = "a byte order mark";
        return nullptr;
    }
    auto value = std::make_unique<JsonValue>();
    Reader reader(bytes);
    if (reader.Document(*value)) return value;
    *error = reader.error;
    return nullptr;
}
