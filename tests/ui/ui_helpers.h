#pragma once
#include <gtest/gtest.h>
// Driving modal boxes and dialogs from a test: each step waits (through the
// event loop, not the clock) for the next modal window and acts on it.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace livra::uitest {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Queue of actions for the modal windows that will appear, in order.
class ModalScript {
public:
    ModalScript() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    ~ModalScript() { timer_.stop(); }

    // Presses the button with this text in the next message box.
    void answer(const QString& buttonText) {
        steps_.push_back([this, buttonText](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box) return false;
            SeenBox seen{box->windowTitle(), box->text(), box->icon(), {}};
            QAbstractButton* target = nullptr;
            for (QAbstractButton* b : box->buttons()) {
                seen.buttons << b->text();
                if (b->text() == buttonText) target = b;
            }
            seen.buttons.sort();
            boxes.push_back(seen);
            if (target) target->click();
            else box->reject();
            return true;
        });
    }
    // Chooses this path in the next file dialog (an empty path cancels it).
    void chooseFile(const QString& path) {
        steps_.push_back([this, path](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            if (!d) return false;
            dialogTitles << d->windowTitle();
            if (path.isEmpty()) {
                d->reject();
            } else {
                d->selectFile(path);
                // The dialog's own "accept" path: Enter in the file name field.
                QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
            }
            return true;
        });
    }
    // Any other modal window.
    void act(std::function<bool(QWidget*)> step) { steps_.push_back(std::move(step)); }

    bool done() const { return steps_.empty(); }
    std::vector<SeenBox> boxes;
    QStringList dialogTitles;

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == last_ || !w->isVisible()) return;
        if (steps_.empty()) {
            // Nobody expected it: fail instead of hanging in its event loop.
            ADD_FAILURE() << "unexpected modal window " << w->windowTitle().toStdString();
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            return;
        }
        last_ = w;
        auto step = steps_.front();
        steps_.pop_front();
        if (!step(w)) ADD_FAILURE() << "unexpected modal window " << w->windowTitle().toStdString();
        last_ = nullptr;
    }
    QTimer timer_;
    std::deque<std::function<bool(QWidget*)>> steps_;
    QWidget* last_ = nullptr;
};

// The one message box a step showed: its title, text, icon and, when given,
// its buttons (sorted). Failures are reported at the caller's line.
inline void expectBox(const std::vector<SeenBox>& boxes, const QString& title, const QString& text,
                      QMessageBox::Icon icon, const QStringList& buttons = {}, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE()) {
    if (boxes.size() != 1) {
        ADD_FAILURE_AT(file, line) << "expected one box \"" << title.toStdString() << "\", got " << boxes.size();
        return;
    }
    if (boxes[0].title != title)
        ADD_FAILURE_AT(file, line) << "title: " << boxes[0].title.toStdString() << " != " << title.toStdString();
    if (boxes[0].text != text)
        ADD_FAILURE_AT(file, line) << "text: " << boxes[0].text.toStdString() << " != " << text.toStdString();
    if (boxes[0].icon != icon) ADD_FAILURE_AT(file, line) << "icon: " << int(boxes[0].icon) << " != " << int(icon);
    if (!buttons.isEmpty() && boxes[0].buttons != buttons)
        ADD_FAILURE_AT(file, line) << "buttons: " << boxes[0].buttons.join(",").toStdString();
}

// A control of a window, found by its object name as a user finds it by
// its place; a missing one fails the test.
template <class T>
T* named(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(name);
    if (!found) ADD_FAILURE() << "no " << name << " in " << window.objectName().toStdString();
    return found;
}

#ifdef LIVRA_SCREENSHOT_DIR
// Where a test leaves a picture to look at; the folder is made on first use,
// whichever test runs first.
inline QString screenshotPath(const QString& name) {
    QDir().mkpath(LIVRA_SCREENSHOT_DIR);
    return QString(LIVRA_SCREENSHOT_DIR) + "/" + name;
}
#endif

}  // namespace livra::uitest
