#include "ui/diagram/diagram_window.h"

#include <algorithm>

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/save_names.h"
#include "livra_version.h"
#include "diagram_qt/diagram_painter.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

using diagram::FileKind;

void DiagramView::setDiagram(std::optional<diagram::DiagramLayout> layout, const QString& message) {
    layout_ = std::move(layout);
    message_ = message;
    setMinimumHeight(layout_ ? int(layout_->height) + 16 : 120);
    update();
}

void DiagramView::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (layout_) {
        // Only the bands in view: a 321-tact program has dozens of them.
        const auto& bands = layout_->bands;
        const double top = e->rect().top() - 8, bottom = e->rect().bottom() - 8;
        int first = 0, last = int(bands.size());
        while (first < last && bands[first].top + bands[first].height < top) ++first;
        while (last > first && bands[last - 1].top > bottom) --last;
        const bool title = first == 0;
        const double y = title ? 0 : first < int(bands.size()) ? bands[first].top : layout_->legendTop;
        diagram::paintDiagramPart(p, *layout_, first, last, title, last == int(bands.size()), QPointF(8, 8 + y));
        return;
    }
    p.setFont(diagram::diagramFont(14));
    p.setPen(QColor(120, 0, 0));
    p.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, message_);
}

void DiagramView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (e->size().width() != e->oldSize().width() && widthChanged) widthChanged();
}

DiagramWindow::DiagramWindow(const Configuration& config, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), c_(config), dialogs_(dialogs) {
    setObjectName("diagramWindow");
    setWindowTitle("Диаграмма программы");
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Программа № ", this));
    programBox_ = new QComboBox(this);
    programBox_->setObjectName("diagramProgram");
    for (int p = 0; p < ProgramCount; ++p) programBox_->addItem(QString::fromStdString(programTitle(p)));
    top->addWidget(programBox_);
    top->addStretch(1);
    auto button = [&](const char* text, const char* name, FileKind kind) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip("Сохранить диаграмму в файл");
        connect(b, &QPushButton::clicked, this, [this, kind] { exportDiagram(kind); });
        top->addWidget(b);
        return b;
    };
    png_ = button("Сохранить PNG…", "exportPng", FileKind::Png);
    svg_ = button("Сохранить SVG…", "exportSvg", FileKind::Svg);
    pdf_ = button("Сохранить PDF…", "exportPdf", FileKind::Pdf);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("diagramScroll");
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_ = new DiagramView;
    view_->setObjectName("diagramView");
    scroll_->setWidget(view_);
    view_->widthChanged = [this] { relayout(); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addWidget(scroll_, 1);
    resize(1140, 620);
    setMinimumSize(560, 300);

    connect(programBox_, &QComboBox::currentIndexChanged, this, [this](int i) { showProgram(i); });
    showProgram(c_.CurrentProgram);
}

void DiagramWindow::placeOver(const QWidget* owner) {
    QScreen* s = owner ? owner->screen() : screen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    // Room for the title bar and border the window system adds; before the
    // first showing the frame is not known yet.
    const QSize frame(16, 40);
    resize(size().boundedTo(area.size() - frame).expandedTo(minimumSize()));
    const QSize outer = size() + frame;
    const QPoint centre = owner ? owner->frameGeometry().center() : area.center();
    const QPoint last(std::max(area.left(), area.right() + 1 - outer.width()),
                      std::max(area.top(), area.bottom() + 1 - outer.height()));
    move(std::clamp(centre.x() - outer.width() / 2, area.left(), last.x()),
         std::clamp(centre.y() - outer.height() / 2, area.top(), last.y()));
}

void DiagramWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

QPushButton* DiagramWindow::exportButton(FileKind kind) const {
    return kind == FileKind::Png ? png_ : kind == FileKind::Svg ? svg_ : pdf_;
}

void DiagramWindow::showProgram(int program) {
    program_ = std::clamp(program, 0, ProgramCount - 1);
    if (programBox_->currentIndex() != program_) {
        programBox_->setCurrentIndex(program_);  // comes back here through the signal
        return;
    }
    std::string error;
    timeline_ = diagram::buildTimeline(c_, program_, &error);
    message_ = QString::fromStdString(error);
    relayout();
}

void DiagramWindow::refresh() {
    std::string error;
    auto fresh = diagram::buildTimeline(c_, program_, &error);
    if (fresh == timeline_ && message_ == QString::fromStdString(error)) return;
    timeline_ = std::move(fresh);
    message_ = QString::fromStdString(error);
    relayout();
}

void DiagramWindow::relayout() {
    for (QPushButton* b : {png_, svg_, pdf_}) b->setEnabled(timeline_.has_value());
    if (!timeline_) {
        view_->setDiagram(std::nullopt, message_);
        return;
    }
    // The diagram takes the window's width; a narrow window wraps it sooner.
    const double width = std::max(520, view_->width() - 16);
    view_->setDiagram(diagram::layoutDiagram(*timeline_, diagram::screenGeometry(width)), {});
}

bool DiagramWindow::exportDiagram(FileKind kind) {
    if (!timeline_) return false;
    const char* filter = kind == FileKind::Png   ? kPngPictureFilter
                         : kind == FileKind::Svg ? kSvgPictureFilter
                                                 : kPdfDocumentFilter;
    const char* ext = kind == FileKind::Png ? "png" : kind == FileKind::Svg ? "svg" : "pdf";
    auto name = dialogs_.saveFileName(filter, suggestedExportName(c_, "программа_" + std::to_string(program_ + 1), ext));
    if (!name) return false;
    if (!diagram::fileKindOf(*name)) *name += std::string(".") + ext;
    if (!mayWriteTo(dialogs_, *name, OverwriteWording::WholePath)) return false;
    const std::string error = diagram::writeDiagram(*timeline_, *name);
    if (!error.empty()) {
        dialogs_.messageBox(kErrorTitle, error, Buttons::Ok, Icon::Error);
        return false;
    }
    return true;
}

std::string suggestedExportName(const Configuration& c, const std::string& what, const std::string& extension) {
    // An unnamed project: offered where the user keeps documents, as the other
    // save dialogs do, not wherever the program was started from (on Windows
    // often its own, unwritable folder).
    if (c.ProjectFileName.empty())
        return QDir(documentsFolder()).filePath(QString::fromStdString(what + "." + extension)).toStdString();
    const QFileInfo project(QString::fromStdString(c.ProjectFileName));
    return (project.absolutePath() + "/" + project.completeBaseName()).toStdString() + "_" + what + "." + extension;
}

}  // namespace livra::ui
