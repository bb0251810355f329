#pragma once
// The one way the application's operations talk to the user. The desktop
// program implements it with Qt, the command line with stdout/stderr, tests
// with a scripted fake that records every box.
#include <cstddef>
#include <optional>
#include <string>

#include "model/error_list.h"

namespace livra {

enum class Icon { None, Information, Exclamation, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class UserDialogs : public ErrorList {
public:
    // A modal message box; the answer is the button pressed (Cancel when closed).
    virtual Answer messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon) = 0;
    // A Yes/No question whose default button is No (Enter must not confirm
    // what may be unsafe). Where nothing can show the default, a Yes/No box.
    virtual Answer askDefaultNo(const std::string& title, const std::string& text, Icon icon) {
        return messageBox(title, text, Buttons::YesNo, icon);
    }
    // Common file dialogs; nothing when the user cancels. Filter like "Файлы |*.ptm".
    virtual std::optional<std::string> openFileName(const std::string& filter) = 0;
    virtual std::optional<std::string> saveFileName(const std::string& filter, const std::string& suggested) = 0;
    // File dialogs that need their own title and start folder (plan
    // pictures, screenshots). Those that do not say fall back to the calls
    // above.
    struct FileDialog {
        std::string title;
        std::string folder;     // where the dialog starts, UTF-8; empty for the usual place
        std::string filter;     // "PNG (*.png)" or "Файлы |*.bmp"
        std::string suggested;  // a file name to offer (save only)
    };
    virtual std::optional<std::string> chooseOpenFile(const FileDialog& d) { return openFileName(d.filter); }
    virtual std::optional<std::string> chooseSaveFile(const FileDialog& d) { return saveFileName(d.filter, d.suggested); }
    // A one-line input; nothing when cancelled.
    virtual std::optional<std::string> textInput(const std::string& title, const std::string& label,
                                                 bool password) = 0;

    // The exchange window around a controller command.
    virtual void exchangeBegin() {}
    virtual void exchangeProgress(std::size_t /*done*/, std::size_t /*total*/) {}
    // Polled while waiting for the controller (at least every 20 ms); the
    // desktop program keeps its windows alive here.
    virtual bool cancelRequested() { return false; }
    virtual void exchangeEnd() {}
};

}  // namespace livra
