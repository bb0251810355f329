#include "evaluation/xml_scan.h"

#include <charconv>
#include <cmath>

namespace livra::evaluation {
namespace {

bool isNameChar(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
           ch == '-' || ch == '.' || ch == ':' || (unsigned char)ch >= 0x80;
}
bool isSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

std::string decoded(std::string_view v) {
    std::string out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '&') {
            out += v[i];
            continue;
        }
        static const std::pair<std::string_view, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        bool done = false;
        for (const auto& [name, ch] : kEntities)
            if (v.substr(i, name.size()) == name) {
                out += ch;
                i += name.size() - 1;
                done = true;
                break;
            }
        if (!done) out += '&';
    }
    return out;
}

std::string at(const char* what, size_t pos) { return std::string(what) + " (байт " + std::to_string(pos) + ")"; }

}  // namespace

std::string scanXml(std::string_view t, const std::function<void(std::string_view, const XmlAttributes&)>& element) {
    size_t i = 0;
    const size_t n = t.size();
    XmlAttributes attrs;
    while (i < n) {
        const size_t lt = t.find('<', i);
        if (lt == std::string_view::npos) return {};
        i = lt + 1;
        if (i >= n) return at("обрыв тега", lt);
        if (t.compare(i, 3, "!--") == 0) {
            const size_t end = t.find("-->", i + 3);
            if (end == std::string_view::npos) return at("незакрытый комментарий", lt);
            i = end + 3;
            continue;
        }
        if (t[i] == '?' || t[i] == '!' || t[i] == '/') {
            const size_t end = t.find('>', i);
            if (end == std::string_view::npos) return at("незакрытый тег", lt);
            i = end + 1;
            continue;
        }
        const size_t nameStart = i;
        while (i < n && isNameChar(t[i])) ++i;
        if (i == nameStart) return at("тег без имени", lt);
        const std::string_view name = t.substr(nameStart, i - nameStart);
        attrs.items.clear();
        for (;;) {
            while (i < n && isSpace(t[i])) ++i;
            if (i >= n) return at("незакрытый тег", lt);
            if (t[i] == '>') {
                ++i;
                break;
            }
            if (t[i] == '/') {
                if (i + 1 >= n || t[i + 1] != '>') return at("неверный конец тега", i);
                i += 2;
                break;
            }
            const size_t keyStart = i;
            while (i < n && isNameChar(t[i])) ++i;
            if (i == keyStart) return at("неверный атрибут", i);
            const std::string_view key = t.substr(keyStart, i - keyStart);
            while (i < n && isSpace(t[i])) ++i;
            if (i >= n || t[i] != '=') return at("атрибут без значения", keyStart);
            ++i;
            while (i < n && isSpace(t[i])) ++i;
            if (i >= n || (t[i] != '"' && t[i] != '\'')) return at("значение без кавычек", i);
            const char quote = t[i++];
            const size_t end = t.find(quote, i);
            if (end == std::string_view::npos) return at("незакрытое значение", i);
            attrs.items.emplace_back(key, decoded(t.substr(i, end - i)));
            i = end + 1;
        }
        element(name, attrs);
    }
    return {};
}

std::optional<double> xmlNumber(const std::string* text) {
    if (!text || text->empty() || text->size() > 40) return std::nullopt;
    double v = 0;
    const char* b = text->data();
    const char* e = b + text->size();
    const auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace livra::evaluation
