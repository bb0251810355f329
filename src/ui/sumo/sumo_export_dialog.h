#pragma once
// "Экспорт в SUMO": the traffic light's id in the SUMO net, the file to
// write, and what will be written (programs, call variants, calendar). The
// export itself is src/sumo; a configuration the validator refuses is not
// exported.
#include <QDialog>

#include "model/configuration.h"

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
    QPushButton* exportButton() const { return export_; }
    QPushButton* cancelButton() const { return cancel_; }
    // The file written by the last successful export.
    const std::string& written() const { return written_; }

private:
    void refreshPreview();
    void browse();
    void exportNow();

    const Configuration& c_;
    UserDialogs& ui_;
    QLineEdit* tls_;
    QLineEdit* file_;
    QListWidget* preview_;
    QLabel* status_;
    QPushButton* browse_;
    QPushButton* export_;
    QPushButton* cancel_;
    std::string written_;
};

}  // namespace livra::ui
