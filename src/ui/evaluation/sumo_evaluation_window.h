#pragma once
// "Оценка в SUMO…": the programs chosen run in SUMO on the user's net and
// demand (src/app/sumo_evaluation), with progress and "Прервать" while SUMO
// runs, and the results side by side in a table.
#include <QDialog>

#include "app/user_dialogs.h"
#include "model/configuration.h"

class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QLabel;

namespace livra::ui {

class SumoEvaluationWindow : public QDialog, private UserDialogs {
    Q_OBJECT
public:
    SumoEvaluationWindow(QWidget* owner, const Configuration& config, UserDialogs& ui);

    // Runs SUMO with what the fields hold (as "Запустить" does).
    void run();

private:
    // Boxes and file dialogs go to the window's UserDialogs; progress and
    // cancel are this window's.
    Answer messageBox(const std::string& t, const std::string& x, Buttons b, Icon i) override {
        return ui_.messageBox(t, x, b, i);
    }
    std::optional<std::string> openFileName(const std::string& f) override { return ui_.openFileName(f); }
    std::optional<std::string> saveFileName(const std::string& f, const std::string& s) override {
        return ui_.saveFileName(f, s);
    }
    std::optional<std::string> textInput(const std::string& t, const std::string& l, bool p) override {
        return ui_.textInput(t, l, p);
    }
    void clear() override {}
    void add(const std::string& line) override { ui_.add(line); }
    void exchangeProgress(std::size_t done, std::size_t total) override;
    bool cancelRequested() override;

    void browse(QLineEdit* field, const char* filter);

    const Configuration& c_;
    UserDialogs& ui_;
    bool running_ = false;
    bool cancel_ = false;
    QLineEdit* net_;
    QLineEdit* routes_;
    QLineEdit* tls_;
    QListWidget* programs_;
    QSpinBox* seconds_;
    QProgressBar* progress_;
    QPushButton* run_;
    QPushButton* stop_;
    QPushButton* close_;
    QTableWidget* results_;
    QLabel* status_;
};

}  // namespace livra::ui
