#pragma once
// "Инструменты" → "Диаграмма программы": a resizable window with the timing
// diagram of a program, following the configuration as it is edited, and
// export to PNG, SVG and PDF. "Отчёт (PDF)…" lives here too.
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/user_dialogs.h"
#include "diagram/diagram_layout.h"
#include "diagram_qt/diagram_export.h"
#include "model/configuration.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace livra::ui {

// Paints one laid-out diagram, or the reason there is none.
class DiagramView : public QWidget {
public:
    using QWidget::QWidget;
    void setDiagram(std::optional<diagram::DiagramLayout> layout, const QString& message);
    const std::optional<diagram::DiagramLayout>& layout() const { return layout_; }
    const QString& message() const { return message_; }
    // Called when the view's width changes, so the owner lays out again.
    std::function<void()> widthChanged;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    std::optional<diagram::DiagramLayout> layout_;
    QString message_;
};

class DiagramWindow : public QWidget {
    Q_OBJECT
public:
    DiagramWindow(const Configuration& config, UserDialogs& dialogs, QWidget* parent = nullptr);

    // Shows a program (0..15) and lays it out again.
    void showProgram(int program);
    // Re-reads the shown program; lays out again only when it changed.
    void refresh();
    // Asks for a file name and writes the diagram; false when nothing was written.
    bool exportDiagram(diagram::FileKind kind);
    // For the first opening: no larger than the owner's screen, centred on
    // the owner and kept on that screen whole.
    void placeOver(const QWidget* owner);

    QComboBox* programBox() const { return programBox_; }
    QPushButton* exportButton(diagram::FileKind kind) const;
    DiagramView* view() const { return view_; }

protected:
    // Escape closes it, as it does the program's dialogs: the window lies
    // over the main window's menus.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void relayout();

    const Configuration& c_;
    UserDialogs& dialogs_;
    int program_ = FirstUserProgram;
    std::optional<diagram::Timeline> timeline_;
    QString message_;
    QComboBox* programBox_ = nullptr;
    QPushButton* png_ = nullptr;
    QPushButton* svg_ = nullptr;
    QPushButton* pdf_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    DiagramView* view_ = nullptr;
};

// A file name beside the project for an export: "crossroad_программа_4.png".
std::string suggestedExportName(const Configuration& c, const std::string& what, const std::string& extension);

}  // namespace livra::ui
