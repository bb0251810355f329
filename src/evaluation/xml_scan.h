#pragma once
// A small reader of the XML that SUMO writes (outputs, nets, routes): each
// element's name and attributes in document order, nothing kept. Enough for
// machine-written files; a broken one is told, never read past its end.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace livra::evaluation {

struct XmlAttributes {
    std::vector<std::pair<std::string_view, std::string>> items;  // values with &amp; &lt; &gt; &quot; &apos; decoded
    const std::string* find(std::string_view name) const {
        for (const auto& [k, v] : items)
            if (k == name) return &v;
        return nullptr;
    }
};

// Calls `element` for every start (or empty) tag. Returns an empty string,
// or what is wrong and where (a byte offset).
std::string scanXml(std::string_view text, const std::function<void(std::string_view, const XmlAttributes&)>& element);

// A number as SUMO writes it ("21600.00", "-1", "3"); nothing for anything else.
std::optional<double> xmlNumber(const std::string* text);

}  // namespace livra::evaluation
