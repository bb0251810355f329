#pragma once
// "Экспорт в SUMO": the traffic light's id in the SUMO net, the file to
// write, and what will be written (programs, call variants, calendar). The
// export itself is src/sumo; a configuration the validator refuses is not
// exported.
#include <QDialog>
#include <optional>

#include "model/configuration.h"
#include "sumo/sumo_types.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace livra {
class UserDialogs;
}

namespace livra::ui {

class SumoExportDialog : public QDialog {
    Q_OBJECT
public:
    SumoExportDialog(QWidget* owner, const Configuration& config, UserDialogs& ui);

    QLineEdit* tlsField() const { return tls_; }
    QLineEdit* fileField() const { return file_; }
    QListWidget* preview() const { return preview_; }
    QPushButton* browseButton() const { return browse_; }
    // "Программы с ТВП — по вызову": the push-button programs as SUMO actuated
    // programs; checking it takes the net (the link map's beside the project,
    // else one chosen) that places the detectors.
    QCheckBox* actuatedCheck() const { return actuated_; }
    QPushButton* exportButton() const { return export_; }
    QPushButton* cancelButton() const { return cancel_; }
    // The file written by the last successful export.
    const std::string& written() const { return written_; }

private:
    void refreshPreview();
    void browse();
    void exportNow();
    void actuatedToggled(bool on);
    // What will be written, or why it cannot be.
    std::optional<SumoAdditional> build(std::string* error, std::vector<std::string>* notes) const;

    const Configuration& c_;
    UserDialogs& ui_;
    QLineEdit* tls_;
    QLineEdit* file_;
    QListWidget* preview_;
    QCheckBox* actuated_;
    std::optional<SumoAdditional> net_;
    QLabel* status_;
    QPushButton* browse_;
    QPushButton* export_;
    QPushButton* cancel_;
    std::string written_;
};

}  // namespace livra::ui
