#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>

#include "app/controller_commands.h"
#include "pictures/pictures.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

void centreOn(QWidget* w, QWidget* owner) {
    const QRect area = owner ? owner->frameGeometry() : w->screen()->availableGeometry();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}
}  // namespace

QString documentsFolder() {
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.isEmpty() || !QDir(docs).exists() ? QDir::homePath() : docs;
}

void bindDialogKeys(QDialog* dialog, QAbstractButton* enter, QAbstractButton* escape) {
    // Enter goes to the default button unless the user moved the focus to
    // another button, as everywhere in the system's own dialogs.
    if (auto* b = qobject_cast<QPushButton*>(enter)) b->setDefault(true);
    if (!escape) return;  // Escape then closes the dialog as rejected
    auto* key = new QShortcut(QKeySequence(Qt::Key_Escape), dialog);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, escape, &QAbstractButton::click);
}

QString qtFilter(const std::string& filter) {
    const QString f = q(filter);
    const int bar = f.indexOf('|');
    if (bar < 0) return f;
    return f.left(bar).trimmed() + " (" + f.mid(bar + 1).trimmed() + ")";
}

ExchangeWindow::ExchangeWindow(QWidget* owner) : QDialog(owner) {
    setObjectName("exchangeWindow");
    setWindowTitle("Обмен данными");
    // A title bar without a system menu: the window is closed by the command.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(110, 145);
    picture_ = new QLabel(this);
    picture_->setObjectName("exchangeAnimation");
    picture_->setGeometry(5, 5, 100, 100);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("exchangeCancel");
    cancel_->setGeometry(5, 110, 100, 30);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    connect(&timer_, &QTimer::timeout, this, &ExchangeWindow::advance);
    showFrame();
    // The animation moves on as soon as it starts: frame 1 first, then one
    // frame every 150 ms.
    timer_.start(150);
    advance();
}

void ExchangeWindow::advance() {
    frame_ = (frame_ + 1) % pictures::AnimationFrameCount;
    showFrame();
}

void ExchangeWindow::setProgress(std::size_t done, std::size_t total) {
    done_ = done;
    total_ = total;
    showFrame();
}

void ExchangeWindow::showFrame() {
    QImage img = pictures::builtInPictures().animation[frame_];
    if (total_ > 0) {
        // The bytes of a long transfer replace the dot row under the picture.
        QPainter p(&img);
        p.fillRect(0, 80, 100, 20, QColor(245, 247, 250));
        p.setPen(QColor(90, 100, 120));
        p.drawRect(4, 82, 91, 6);
        const int filled = int(90.0 * double(std::min(done_, total_)) / double(total_));
        p.fillRect(5, 83, filled, 5, QColor(20, 120, 255));
        QFont f("Arial");
        f.setPixelSize(9);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 89, 100, 11), Qt::AlignCenter, QString("%1 из %2").arg(done_).arg(total_));
    }
    picture_->setPixmap(QPixmap::fromImage(img));
}

void ExchangeWindow::closeEvent(QCloseEvent* e) {
    // Closing from the title bar means the same as "Отмена".
    cancelled_ = true;
    e->ignore();
}

void ExchangeWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        cancelled_ = true;
        return;
    }
    QDialog::keyPressEvent(e);
}

QtDialogs::QtDialogs(QWidget* owner, QListWidget* errorList) : owner_(owner), errorList_(errorList) {}

Answer QtDialogs::messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon) {
    return showBox(title, text, buttons, icon, false);
}

Answer QtDialogs::askDefaultNo(const std::string& title, const std::string& text, Icon icon) {
    return showBox(title, text, Buttons::YesNo, icon, true);
}

Answer QtDialogs::showBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon,
                          bool defaultNo) {
    QWidget* parent = exchange_ ? static_cast<QWidget*>(exchange_.data()) : owner_;
    QMessageBox box(parent);
    box.setObjectName("messageBox");
    box.setWindowTitle(q(title));
    if (const auto rows = dotLeaderRows(text); !rows.empty()) {
        // Names and values in two columns: dots do not line up in this font.
        QString html = "<table cellspacing=\"0\" cellpadding=\"2\">";
        for (const auto& [name, value] : rows)
            html += "<tr><td>" + q(name).toHtmlEscaped() + "</td><td width=\"16\"></td><td><b>" +
                    q(value).toHtmlEscaped() + "</b></td></tr>";
        box.setTextFormat(Qt::RichText);
        box.setText(html + "</table>");
    } else {
        box.setText(q(text));
    }
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    if (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) {
        yes = box.addButton("Да", QMessageBox::YesRole);
        no = box.addButton("Нет", QMessageBox::NoRole);
    } else {
        ok = box.addButton(kOkButton, QMessageBox::AcceptRole);
    }
    if (buttons == Buttons::YesNoCancel || buttons == Buttons::OkCancel)
        cancel = box.addButton(kCancelButton, QMessageBox::RejectRole);
    box.setDefaultButton(defaultNo && no ? no : yes ? yes : ok);
    if (cancel) box.setEscapeButton(cancel);
    else if (no) box.setEscapeButton(no);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == yes) return Answer::Yes;
    if (clicked && clicked == no) return Answer::No;
    if (clicked && clicked == ok) return Answer::Ok;
    return buttons == Buttons::Ok ? Answer::Ok : buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

std::optional<std::string> QtDialogs::openFileName(const std::string& filter) {
    QFileDialog dialog(owner_, "Открыть");
    dialog.setObjectName("fileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, QGuiApplication::platformName() == "offscreen");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(qtFilter(filter));
    if (startPath_ && !startPath_().empty()) dialog.selectFile(q(startPath_()));
    else dialog.setDirectory(documentsFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::saveFileName(const std::string& filter, const std::string& suggested) {
    // The one interface call serves the project, the journal and the plan
    // screenshot; their dialogs differ only in the title.
    QString title = "Сохранить";
    if (filter.find("*.txt") != std::string::npos) title = "Сохранить журнал";
    else if (filter.find("*.bmp") != std::string::npos) title = "Сохранить скриншот";
    QFileDialog dialog(owner_, title);
    dialog.setObjectName("fileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, QGuiApplication::platformName() == "offscreen");
    // The commands ask about replacing a file themselves.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilter(filter));
    if (!suggested.empty()) dialog.selectFile(q(suggested));
    else if (startPath_ && !startPath_().empty()) dialog.setDirectory(QFileInfo(q(startPath_())).absolutePath());
    // An unnamed project: where the user keeps documents, not wherever the
    // program happened to be started from.
    else dialog.setDirectory(documentsFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::chooseOpenFile(const FileDialog& d) {
    QFileDialog dialog(owner_, q(d.title));
    dialog.setObjectName("fileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, QGuiApplication::platformName() == "offscreen");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(qtFilter(d.filter));
    if (!d.folder.empty()) dialog.setDirectory(q(d.folder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::chooseSaveFile(const FileDialog& d) {
    QFileDialog dialog(owner_, q(d.title));
    dialog.setObjectName("fileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, QGuiApplication::platformName() == "offscreen");
    // The commands ask about replacing a file themselves.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilter(d.filter));
    if (!d.folder.empty()) dialog.setDirectory(q(d.folder));
    if (!d.suggested.empty()) dialog.selectFile(q(d.suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::textInput(const std::string& title, const std::string& label, bool password) {
    QInputDialog dialog(owner_);
    dialog.setObjectName("textInput");
    dialog.setWindowTitle(q(title));
    dialog.setLabelText(q(label));
    dialog.setTextEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setOkButtonText(kOkButton);
    dialog.setCancelButtonText(kCancelButton);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

void QtDialogs::clear() {
    if (errorList_) errorList_->clear();
}

void QtDialogs::add(const std::string& line) {
    if (!errorList_) return;
    errorList_->addItem(q(line));
    // The newest line is the one that says what just happened.
    errorList_->scrollToBottom();
}

void QtDialogs::status(const std::string& line) {
    if (!statusLine_) return add(line);
    statusLine_->setText(q(line));
}

void QtDialogs::exchangeBegin() {
    if (exchange_) return;  // a command that reconnects keeps the open window
    exchange_ = new ExchangeWindow(owner_);
    centreOn(exchange_, owner_);
    if (owner_) owner_->setEnabled(false);
    exchange_->setEnabled(true);
    exchange_->show();
    QCoreApplication::processEvents();
}

void QtDialogs::exchangeProgress(std::size_t done, std::size_t total) {
    if (exchange_) exchange_->setProgress(done, total);
}

bool QtDialogs::cancelRequested() {
    // The link blocks the UI thread between polls; keeping the events moving
    // here runs the animation and delivers the click on "Отмена".
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return exchange_ && exchange_->cancelled();
}

void QtDialogs::exchangeEnd() {
    if (!exchange_) return;
    delete exchange_.data();
    exchange_ = nullptr;
    if (owner_) owner_->setEnabled(true);
}

}  // namespace livra::ui
