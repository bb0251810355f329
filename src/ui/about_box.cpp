// "О программе", "Справка", "Сайт" and "Загрузчик": small commands that do
// not touch the configuration.
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "livra_version.h"
#include "pictures/pictures.h"
#include "ui/main_window.h"
#include "ui/texts.h"
#include "ui/user_guide.h"

namespace livra::ui {

namespace {

class AboutBox : public QDialog {
public:
    explicit AboutBox(QWidget* owner) : QDialog(owner) {
        setObjectName("aboutBox");
        setWindowTitle("О программе...");
        setFixedSize(390, 290);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        setAttribute(Qt::WA_DeleteOnClose);
        auto* logo = new QLabel(this);
        logo->setGeometry(10, 10, 370, 70);
        logo->setPixmap(QPixmap::fromImage(pictures::builtInPictures().logo));
        auto* text = new QPlainTextEdit(this);
        text->setObjectName("aboutText");
        text->setGeometry(10, 90, 370, 150);
        text->setReadOnly(true);
        text->setStyleSheet("QPlainTextEdit { background: black; color: rgb(255,255,0); }");
        text->setPlainText(QStringList{
            "Программа: Конфигуратор 'Ливра'",
            QString("Версия: ") + LIVRA_RELEASE,
            "Класс : 2",
            // The release above as users and the maker name it; the build
            // (the same with the commit) as --version and the report show it.
            QString("Сборка: ") + LIVRA_VERSION,
            "",
            "Телефон: +7 (000) 000-00-00",
            "E-mail: support@livra.example",
            QString("Сайт: ") + kMakerSite,
            "Россия, 2026",
        }.join('\n'));
        auto* ok = new QPushButton(kOkButton, this);
        ok->setObjectName("aboutOk");
        ok->setGeometry(156, 250, 78, 30);
        // "Ок" and the close box do the same: close and forget the window.
        connect(ok, &QPushButton::clicked, this, &QDialog::close);
        bindDialogKeys(this, ok, ok);
    }
};

// The help file and the loader are resolved against the current folder.
bool openDocument(const QString& name) {
    const QFileInfo info(name);
    if (!info.exists()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

}  // namespace

void MainWindow::showAbout() {
    if (findChild<QDialog*>("aboutBox")) return;
    auto* box = new AboutBox(this);
    box->setWindowModality(Qt::WindowModal);
    box->move(frameGeometry().center() - QPoint(box->width() / 2, box->height() / 2));
    box->show();
}

void MainWindow::openHelp() {
    // The compiled help file, where installed, keeps its priority.
    if (openDocument(kHelpFile)) return;
    const QString guide = findUserGuide();
    if (guide.isEmpty()) {
        dialogs().messageBox(kHelpTitle, kHelpFailedText + std::string(kHelpFile) + ".",
                             Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(guide))) return;
    // The guide is there but nothing on this computer shows HTML: say where
    // it lies rather than send the user looking for a help file.
    dialogs().messageBox(kHelpTitle,
                         kGuideFailedText +
                             QDir::toNativeSeparators(guide).toStdString(),
                         Buttons::Ok, Icon::Exclamation);
}

void MainWindow::openSite() { QDesktopServices::openUrl(QUrl(kMakerSite)); }

void MainWindow::startLoader() {
    const QFileInfo loader(kLoaderFile);
    if (!loader.exists() || !QProcess::startDetached(loader.absoluteFilePath(), {}, loader.absolutePath()))
        dialogs().messageBox(kLoaderTitle, kLoaderFailedText + std::string(kLoaderFile) + ".",
                             Buttons::Ok, Icon::Exclamation);
}

}  // namespace livra::ui
