#pragma once
// A UserDialogs for tests of the file operations: answers questions and file
// dialogs from queues and records every box and dialog. A question or a file
// dialog with nothing queued fails the test.
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/user_dialogs.h"

namespace livra::test {

struct Box {
    std::string title, text;
    Buttons buttons;
    Icon icon;
};

class ScriptedDialogs : public UserDialogs {
public:
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> fileNames;
    std::vector<Box> boxes;
    std::vector<FileDialog> dialogs;  // the titled dialogs, as asked for
    int fileDialogs = 0;              // every file dialog
    // Fails the untitled dialogs, for operations that must give a title and
    // a start folder.
    bool titledDialogsOnly = false;

    Answer messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon) override {
        boxes.push_back({title, text, buttons, icon});
        if (buttons == Buttons::Ok) return Answer::Ok;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << title << " / " << text;
            return Answer::Cancel;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> chooseOpenFile(const FileDialog& d) override { return titled(d); }
    std::optional<std::string> chooseSaveFile(const FileDialog& d) override { return titled(d); }
    std::optional<std::string> openFileName(const std::string&) override { return untitled(); }
    std::optional<std::string> saveFileName(const std::string&, const std::string&) override { return untitled(); }
    std::optional<std::string> textInput(const std::string&, const std::string&, bool) override { return {}; }
    std::vector<std::string> lines;  // the error list
    void clear() override { lines.clear(); }
    void add(const std::string& line) override { lines.push_back(line); }

private:
    std::optional<std::string> titled(const FileDialog& d) {
        dialogs.push_back(d);
        return nextName();
    }
    std::optional<std::string> untitled() {
        if (titledDialogsOnly) {
            ADD_FAILURE() << "a file dialog without its title";
            return std::nullopt;
        }
        return nextName();
    }
    std::optional<std::string> nextName() {
        ++fileDialogs;
        if (fileNames.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return std::nullopt;
        }
        auto n = fileNames.front();
        fileNames.pop_front();
        return n;
    }
};

// The one box an operation showed: its title, text, icon and, when given,
// its buttons. Failures are reported at the caller's line.
inline void expectBox(const std::vector<Box>& boxes, const std::string& title, const std::string& text, Icon icon,
                      std::optional<Buttons> buttons = std::nullopt, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE()) {
    if (boxes.size() != 1) {
        ADD_FAILURE_AT(file, line) << "expected one box \"" << title << "\", got " << boxes.size();
        return;
    }
    if (boxes[0].title != title) ADD_FAILURE_AT(file, line) << "title: " << boxes[0].title << " != " << title;
    if (boxes[0].text != text) ADD_FAILURE_AT(file, line) << "text: " << boxes[0].text << " != " << text;
    if (boxes[0].icon != icon) ADD_FAILURE_AT(file, line) << "icon: " << int(boxes[0].icon) << " != " << int(icon);
    if (buttons && boxes[0].buttons != *buttons)
        ADD_FAILURE_AT(file, line) << "buttons: " << int(boxes[0].buttons) << " != " << int(*buttons);
}

}  // namespace livra::test
