#pragma once
// The outcome of a calculation: its value, or the reason in the user's words.
#include <string>
#include <utility>
#include <variant>

namespace livra::timing {

template <class T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    static Result failure(std::string why) { return Result(std::in_place_index<1>, std::move(why)); }
    bool ok() const { return v_.index() == 0; }
    const T& value() const { return std::get<0>(v_); }
    T& value() { return std::get<0>(v_); }
    const std::string& error() const { return std::get<1>(v_); }

private:
    template <class... A>
    Result(std::in_place_index_t<1> i, A&&... a) : v_(i, std::forward<A>(a)...) {}
    std::variant<T, std::string> v_;
};

}  // namespace livra::timing
