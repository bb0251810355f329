#include "ui/safety/conflict_matrix_dialog.h"

#include <QAbstractTableModel>
#include <algorithm>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "check/intergreen_calculator.h"
#include "edit/conflict_matrix.h"
#include "pictures/pictures.h"
#include "ui/canvases.h"
#include "ui/qt_dialogs.h"
#include "ui/safety/intergreen_calculator_dialog.h"
#include "ui/texts.h"

namespace livra::ui {

QString directionKindName(uint8_t kind) {
    QString s = QString::fromUtf8(directionKindLabel(kind));
    if (s.startsWith(" - ")) s = s.mid(3);
    if (kind == DirTram2 || kind == DirTram3) s = "Трамвайный";
    return s;
}

// The matrix as a table over the dialog's copy of the safety data.
class ConflictMatrixModel : public QAbstractTableModel {
public:
    ConflictMatrixModel(const Configuration& c, SafetyData& s, const std::vector<int>& dirs, QObject* parent)
        : QAbstractTableModel(parent), c_(c), s_(s), dirs_(dirs) {
        const auto& pics = pictures::builtInPictures();
        for (int d : dirs_) {
            const QImage& symbol = pics.directionSymbol[c.DirectionKind[d] <= 13 ? c.DirectionKind[d] : 0];
            icons_.push_back(QIcon(QPixmap::fromImage(symbol.scaled(42, 22, Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation))));
            labels_.push_back(directionLabel(c, d));
        }
    }

    int rowCount(const QModelIndex& = {}) const override { return int(dirs_.size()); }
    int columnCount(const QModelIndex& = {}) const override { return int(dirs_.size()); }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const int a = dirs_[index.row()], b = dirs_[index.column()];
        const bool diagonal = a == b;
        const bool conflict = isConflict(s_, a, b);
        const bool proposed = isProposed(s_, a, b);
        const int value = diagonal ? IntergreenNotSet : s_.intergreen[a][b];
        switch (role) {
        case Qt::DisplayRole:
            if (!conflict) return {};
            return value == IntergreenNotSet ? QString("—") : QString::number(value);
        case Qt::EditRole: return conflict && value != IntergreenNotSet ? QString::number(value) : QString();
        case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
        case Qt::BackgroundRole:
            if (diagonal) return QColor(190, 190, 190);
            if (proposed) return QColor(255, 214, 120);
            if (conflict) return QColor(255, 150, 150);
            return QColor(Qt::white);
        case Qt::FontRole:
            if (proposed) {
                QFont f;
                f.setItalic(true);
                return f;
            }
            return {};
        case Qt::ToolTipRole: {
            if (diagonal) return {};
            const QString pair = QString("Напр. %1 → %2").arg(labels_[index.row()], labels_[index.column()]);
            if (!conflict) return pair + ": конфликта нет (цифры — задать с временем, пробел — без)";
            QString t = pair + ": конфликт, промежуточное время " +
                        (value == IntergreenNotSet ? QString("не задано") : QString("%1 с").arg(value));
            if (proposed) t += "\nПредложено по программам, не подтверждено";
            return t;
        }
        default: return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation, int role) const override {
        if (section < 0 || section >= int(dirs_.size())) return {};
        switch (role) {
        case Qt::DisplayRole: return labels_[section];
        case Qt::DecorationRole: return icons_[section];
        case Qt::ToolTipRole:
            return QString("Напр. %1 — %2").arg(labels_[section], directionKindName(c_.DirectionKind[dirs_[section]]));
        default: return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        // Any pair takes a typed time: a time declares the conflict.
        if (index.row() != index.column()) f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole || index.row() == index.column()) return false;
        const int a = dirs_[index.row()], b = dirs_[index.column()];
        const auto seconds = parseIntergreenText(value.toString().toStdString());
        if (!seconds) return false;
        if (!isConflict(s_, a, b)) {
            if (*seconds == IntergreenNotSet) return false;  // nothing typed on a free pair
            setConflict(s_, a, b, true);
        }
        if (!setIntergreen(s_, a, b, *seconds)) return false;
        emit dataChanged(index, index);
        const QModelIndex mirror = this->index(index.column(), index.row());
        emit dataChanged(mirror, mirror);
        return true;
    }

    bool hasIntergreens(const QModelIndex& index) const {
        if (!index.isValid() || index.row() == index.column()) return false;
        const int a = dirs_[index.row()], b = dirs_[index.column()];
        return isConflict(s_, a, b) && (s_.intergreen[a][b] != IntergreenNotSet || s_.intergreen[b][a] != IntergreenNotSet);
    }

    void toggle(const QModelIndex& index) {
        if (!index.isValid() || index.row() == index.column()) return;
        toggleConflict(s_, dirs_[index.row()], dirs_[index.column()]);
        emit dataChanged(index, index);
        const QModelIndex mirror = this->index(index.column(), index.row());
        emit dataChanged(mirror, mirror);
    }

    void allChanged() { emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1)); }

private:
    const Configuration& c_;
    SafetyData& s_;
    const std::vector<int>& dirs_;
    std::vector<QIcon> icons_;
    std::vector<QString> labels_;
};

namespace {

// Digits 0..255 or nothing (not set).
class IntergreenDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* e = new QLineEdit(parent);
        e->setObjectName("intergreenEditor");
        // 0..255 and nothing else can be typed; empty is "not set".
        e->setValidator(new QRegularExpressionValidator(
            QRegularExpression("[0-9]|[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5]"), e));
        e->setAlignment(Qt::AlignCenter);
        return e;
    }
    // The cell keeps its conflict colour when selected; a frame marks it.
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        const bool selected = o.state & QStyle::State_Selected;
        o.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(p, o, index);
        if (!selected) return;
        p->save();
        p->setPen(QPen(QColor(0, 70, 200), 3));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(o.rect).adjusted(1.5, 1.5, -1.5, -1.5));
        p->restore();
    }
};

}  // namespace

ConflictMatrixDialog::ConflictMatrixDialog(QWidget* owner, const Configuration& config)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      config_(config), edited_(config.Safety), dirs_(matrixDirections(config)) {
    setObjectName("conflictMatrixDialog");
    setWindowTitle("Матрица конфликтов");
    model_ = new ConflictMatrixModel(config_, edited_, dirs_, this);

    auto* top = new QVBoxLayout(this);
    auto* hint = new QLabel(
        "Щелчок выбирает клетку; цифры 0…255 — промежуточное время, с (строка освобождает, столбец въезжает), "
        "и конфликт пары; пробел или двойной щелчок — конфликт есть/нет; Delete — стереть время.",
        this);
    hint->setWordWrap(true);
    top->addWidget(hint);

    auto* middle = new QHBoxLayout;
    table_ = new QTableView(this);
    table_->setObjectName("conflictMatrix");
    table_->setModel(model_);
    table_->setItemDelegate(new IntergreenDelegate(table_));
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setDefaultSectionSize(64);
    table_->horizontalHeader()->setMinimumHeight(30);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(30);
    table_->setIconSize(QSize(42, 22));
    table_->horizontalHeader()->setIconSize(QSize(42, 22));
    table_->verticalHeader()->setIconSize(QSize(42, 22));
    table_->installEventFilter(this);
    connect(table_, &QTableView::doubleClicked, this, &ConflictMatrixDialog::toggleAsked);
    connect(table_, &QWidget::customContextMenuRequested, this, &ConflictMatrixDialog::contextMenu);
    connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { showCurrent(); });
    connect(model_, &QAbstractItemModel::dataChanged, this, [this] { changedCells(); });
    middle->addWidget(table_, 1);

    auto* side = new QVBoxLayout;
    auto sideButton = [&](const char* text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        side->addWidget(b);
        return b;
    };
    propose_ = sideButton("Предложить по программам", "proposeButton");
    confirm_ = sideButton("Подтвердить предложенные", "confirmButton");
    calculator_ = sideButton("Калькулятор…", "calculatorButton");
    pair_ = new QLabel(this);
    pair_->setObjectName("pairLabel");
    pair_->setWordWrap(true);
    pair_->setMinimumWidth(200);
    pair_->setMaximumWidth(220);
    pair_->setMinimumHeight(90);
    pair_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    side->addSpacing(8);
    side->addWidget(pair_);
    side->addStretch();
    middle->addLayout(side);
    top->addLayout(middle, 1);

    auto* bottom = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName("statusLabel");
    bottom->addWidget(status_, 1);
    ok_ = new QPushButton(kOkButton, this);
    ok_->setObjectName("okButton");
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    bottom->addWidget(ok_);
    bottom->addWidget(cancel_);
    top->addLayout(bottom);
    connect(propose_, &QPushButton::clicked, this, &ConflictMatrixDialog::propose);
    connect(confirm_, &QPushButton::clicked, this, &ConflictMatrixDialog::confirmProposals);
    connect(calculator_, &QPushButton::clicked, this, &ConflictMatrixDialog::openCalculator);
    connect(ok_, &QPushButton::clicked, this, [this] {
        finishMatrixEdit(edited_);
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    bindDialogKeys(this, ok_, cancel_);

    // As large as the matrix needs, up to most of a laptop screen; more
    // directions scroll.
    const int n = int(dirs_.size());
    const int w = std::clamp(80 + 64 * n + 30 + 240, 640, 1180);
    const int h = std::clamp(120 + 30 * n + 30 + 60, 420, 760);
    resize(w, h);
    if (n > 0) table_->setCurrentIndex(model_->index(0, std::min(1, n - 1)));
    table_->setFocus();
    changedCells();
    if (n == 0) {
        status_->setText("Направлений нет: сначала задайте направления");
        propose_->setEnabled(false);
    }
}

ConflictMatrixDialog::~ConflictMatrixDialog() = default;

QModelIndex ConflictMatrixDialog::cellOf(int from, int to) const {
    const auto r = std::find(dirs_.begin(), dirs_.end(), from);
    const auto c = std::find(dirs_.begin(), dirs_.end(), to);
    if (r == dirs_.end() || c == dirs_.end()) return {};
    return model_->index(int(r - dirs_.begin()), int(c - dirs_.begin()));
}

bool ConflictMatrixDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == table_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Space && k->modifiers() == Qt::NoModifier) {
            toggleAsked(table_->currentIndex());
            return true;
        }
        // Deleting the value of a conflicting cell: "not set".
        if ((k->key() == Qt::Key_Delete || k->key() == Qt::Key_Backspace) && table_->currentIndex().isValid()) {
            model_->setData(table_->currentIndex(), QString(), Qt::EditRole);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void ConflictMatrixDialog::toggleAsked(const QModelIndex& index) {
    if (!index.isValid() || index.row() == index.column()) return;
    // The times worked out for a pair are not dropped by a stray key.
    if (model_->hasIntergreens(index)) {
        const int a = dirs_[index.row()], b = dirs_[index.column()];
        auto time = [this](int from, int to) {
            const int v = edited_.intergreen[from][to];
            return v == IntergreenNotSet ? QString("—") : QString("%1 с").arg(v);
        };
        const QString text = QString(kRemoveConflictQuestion)
                                 .arg(directionLabel(config_, a), directionLabel(config_, b), time(a, b), time(b, a));
        QtDialogs boxes(this, nullptr);
        if (boxes.messageBox(kWarningTitle, text.toStdString(), Buttons::YesNo, Icon::Exclamation) != Answer::Yes)
            return;
    }
    model_->toggle(index);
}

void ConflictMatrixDialog::contextMenu(QPoint pos) {
    const QModelIndex index = table_->indexAt(pos);
    if (!index.isValid() || index.row() == index.column()) return;
    // A right click picks the pair without switching it.
    table_->setCurrentIndex(index);
    const int a = dirs_[index.row()], b = dirs_[index.column()];
    QMenu menu(this);
    QAction* toggle = menu.addAction(isConflict(edited_, a, b) ? "Убрать конфликт" : "Задать конфликт");
    QAction* confirm = isProposed(edited_, a, b) ? menu.addAction("Подтвердить") : nullptr;
    QAction* calc = isConflict(edited_, a, b) ? menu.addAction("Калькулятор…") : nullptr;
    menu.addAction(kCancelButton);
    QAction* chosen = menu.exec(table_->viewport()->mapToGlobal(pos));
    if (chosen == toggle) toggleAsked(index);
    else if (chosen && chosen == confirm) {
        confirmProposal(edited_, a, b);
        model_->allChanged();
    } else if (chosen && chosen == calc) openCalculator();
}

void ConflictMatrixDialog::propose() {
    const int added = proposeConflicts(edited_, config_);
    model_->allChanged();
    status_->setText(added ? QString("Предложено конфликтов: %1 — проверьте и подтвердите").arg(added)
                           : QString("Новых конфликтов по программам нет"));
}

void ConflictMatrixDialog::confirmProposals() {
    confirmAllProposals(edited_);
    model_->allChanged();
    status_->clear();
}

void ConflictMatrixDialog::openCalculator() {
    const QModelIndex index = table_->currentIndex();
    if (!index.isValid() || index.row() == index.column()) return;
    const int from = dirs_[index.row()], to = dirs_[index.column()];
    if (!isConflict(edited_, from, to)) return;
    const auto kept = edited_.calculatorInputs.find({from, to});
    const IntergreenInputs start = kept != edited_.calculatorInputs.end()
                                       ? kept->second
                                       : defaultIntergreenInputs(config_.DirectionKind[from], config_.DirectionKind[to]);
    IntergreenCalculatorDialog calc(this, config_, from, to, start);
    if (calc.exec() != QDialog::Accepted) return;
    edited_.calculatorInputs[{from, to}] = calc.inputs();
    model_->setData(index, QString::number(calc.seconds()), Qt::EditRole);
    showCurrent();
}

void ConflictMatrixDialog::showCurrent() {
    const QModelIndex index = table_->currentIndex();
    const bool cell = index.isValid() && index.row() != index.column();
    const bool conflict = cell && isConflict(edited_, dirs_[index.row()], dirs_[index.column()]);
    calculator_->setEnabled(conflict);
    if (!cell) {
        pair_->clear();
        return;
    }
    pair_->setText(model_->data(index, Qt::ToolTipRole).toString());
}

void ConflictMatrixDialog::changedCells() {
    confirm_->setEnabled(proposalCount(edited_) > 0);
    showCurrent();
}

}  // namespace livra::ui
