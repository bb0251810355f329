#pragma once
// UserDialogs for the desktop program: message boxes, file dialogs, the
// password input, the error list of the main window and the exchange window.
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "app/user_dialogs.h"

class QAbstractButton;
class QLabel;
class QListWidget;
class QPushButton;

namespace livra::ui {

// "Обмен данными": the animation and "Отмена" while a controller command
// runs; the main window stays disabled while it exists.
class ExchangeWindow : public QDialog {
    Q_OBJECT
public:
    explicit ExchangeWindow(QWidget* owner);
    bool cancelled() const { return cancelled_; }
    int frame() const { return frame_; }
    std::size_t progressDone() const { return done_; }
    std::size_t progressTotal() const { return total_; }
    void setProgress(std::size_t done, std::size_t total);
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void advance();
    void showFrame();

    QLabel* picture_;
    QPushButton* cancel_;
    QTimer timer_;
    int frame_ = 0;
    bool cancelled_ = false;
    std::size_t done_ = 0, total_ = 0;
};

class QtDialogs : public UserDialogs {
public:
    QtDialogs(QWidget* owner, QListWidget* errorList);

    Answer messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon) override;
    Answer askDefaultNo(const std::string& title, const std::string& text, Icon icon) override;
    std::optional<std::string> openFileName(const std::string& filter) override;
    std::optional<std::string> saveFileName(const std::string& filter, const std::string& suggested) override;
    std::optional<std::string> chooseOpenFile(const FileDialog& d) override;
    std::optional<std::string> chooseSaveFile(const FileDialog& d) override;
    std::optional<std::string> textInput(const std::string& title, const std::string& label, bool password) override;
    void clear() override;
    void add(const std::string& line) override;
    void status(const std::string& line) override;
    // The window's status line under the error list; none: status goes to the list.
    void setStatusLine(QLabel* line) { statusLine_ = line; }

    void exchangeBegin() override;
    void exchangeProgress(std::size_t done, std::size_t total) override;
    bool cancelRequested() override;
    void exchangeEnd() override;

    // Where the file dialogs start: the current project's file.
    void setStartPath(std::function<std::string()> path) { startPath_ = std::move(path); }

    ExchangeWindow* exchangeWindow() const { return exchange_; }
    bool exchangeActive() const { return exchange_ != nullptr; }

private:
    Answer showBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon, bool defaultNo);
    QWidget* owner_;
    QListWidget* errorList_;
    QLabel* statusLine_ = nullptr;
    QPointer<ExchangeWindow> exchange_;
    std::function<std::string()> startPath_;
};

// "Файлы |*.ptm" → "Файлы (*.ptm)".
QString qtFilter(const std::string& filter);

// Where file dialogs start when there is no project file to start from.
QString documentsFolder();

// Enter presses `enter` and Escape presses `escape` wherever the focus is in
// the dialog; every dialog of the program binds its keys this way.
void bindDialogKeys(QDialog* dialog, QAbstractButton* enter, QAbstractButton* escape);

}  // namespace livra::ui
