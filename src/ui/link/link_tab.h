#pragma once
// "Связь с ДК": the buttons of the controller commands, the clock fields and
// the journal. The tab shows what the commands left in LinkTabState and
// asks for commands; the main window runs them in its session.
#include <QWidget>

#include "app/controller_commands.h"
#include "ui/link/link_commands.h"
#include "ui/widget_helpers.h"

class QCheckBox;
class QLineEdit;
class QTreeWidget;

namespace livra::ui {

class LinkTab : public QWidget {
    Q_OBJECT
public:
    explicit LinkTab(QWidget* parent = nullptr);

    void showState(const LinkTabState& state);
    // The window is this much larger than its smallest size: the journal grows.
    void growBy(int dx, int dy) { form_.apply(dx, dy); }

signals:
    // "Записать в ДК" comes as WriteVerified while its check box is ticked.
    void commandRequested(LinkCommand command);
    void loaderRequested();

private:
    QCheckBox* verify_ = nullptr;
    QLineEdit* computerTime_ = nullptr;
    QLineEdit* controllerTime_ = nullptr;
    QTreeWidget* journal_ = nullptr;
    GrowingForm form_;
};

}  // namespace livra::ui
