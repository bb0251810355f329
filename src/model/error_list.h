#pragma once
// Where the validator's verdict and the image size report go: the error list
// of the main window, stdout for the command line, a vector in tests.
#include <string>
#include <vector>

namespace livra {

class ErrorList {
public:
    virtual ~ErrorList() = default;
    virtual void clear() = 0;
    virtual void add(const std::string& line) = 0;
    // What went well (compiled, written, read): the desktop program shows it
    // on its status line, not among the errors; elsewhere it is a line too.
    virtual void status(const std::string& line) { add(line); }
};

class VectorErrorList : public ErrorList {
public:
    void clear() override { lines.clear(); }
    void add(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

}  // namespace livra
