#include "shell/ObjectsPanel.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "scene/TextDecoding.h"
#include "scene/ValueColours.h"
#include "shell/Texts.h"

namespace talan {

namespace {

enum Column : int { kColumnName, kColumnKind, kColumnElements, kColumnTransparent, kColumnCount };

// The flag a column's check box shows, if it has one.
std::optional<ObjectFlag> FlagOfColumn(int column) {
    if (column == kColumnName) return ObjectFlag::Visible;
    if (column == kColumnTransparent) return ObjectFlag::Transparent;
    return std::nullopt;
}

}  // namespace

// The rows of the panel: the objects whose name or kind holds the filter text, in
// load order. Everything shown is read from the records when it is drawn, but for
// the names, which are decoded once per change of the objects.
class ObjectRows : public QAbstractTableModel {
public:
    ObjectRows(const SceneModel& scene, uint32_t language, const CommandsHandler& run, const SwitchReader& read,
               QObject* parent)
        : QAbstractTableModel(parent), scene_(scene), run_(run), read_(read) {
        // Beside its own texts, the panel shows the menus' kinds and "Transparent".
        const MenuTexts& menu = TextsFor(language).menu;
        const PanelTexts& panel = TextsFor(language).panel;
        for (int kind = 0; kind < kObjectKindCount; ++kind) {
            kindLabels_[static_cast<size_t>(kind)] = QString::fromUtf8(menu.kinds[kind]);
        }
        headers_ = {QString::fromUtf8(panel.name), QString::fromUtf8(panel.kind), QString::fromUtf8(panel.elements),
                    QString::fromUtf8(menu.transparent)};
    }

    void Renew() {
        beginResetModel();
        names_.clear();
        for (const std::string& raw : scene_.objectNames) names_.push_back(QString::fromStdString(DecodeNameForDisplay(raw)));
        Filter();
        endResetModel();
    }

    void SetFilter(const QString& text) {
        beginResetModel();
        filter_ = text.trimmed();
        Filter();
        endResetModel();
    }

    // The check boxes of every row may have changed.
    void ShowFlags() {
        if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1), {Qt::CheckStateRole});
    }

    int32_t ObjectAt(int row) const { return rows_[static_cast<size_t>(row)]; }

    // The object has the flag: every object can be hidden, T3 surfaces and block
    // models can be drawn transparent.
    bool HasFlag(int32_t object, ObjectFlag flag) const {
        return flag == ObjectFlag::Visible || KindHasTransparencyEntry(scene_.objectKinds[static_cast<size_t>(object)]);
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumnCount; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) return {};
        return headers_[static_cast<size_t>(section)];
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const std::optional<ObjectFlag> flag = FlagOfColumn(index.column());
        if (flag && HasFlag(ObjectAt(index.row()), *flag)) flags |= Qt::ItemIsUserCheckable;
        return flags;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const int32_t object = ObjectAt(index.row());
        const auto k = static_cast<size_t>(object);
        if (role == Qt::CheckStateRole) {
            const std::optional<ObjectFlag> flag = FlagOfColumn(index.column());
            if (!flag || !HasFlag(object, *flag)) return {};
            return read_(Command::OfObject(*flag, object)).value_or(false) ? Qt::Checked : Qt::Unchecked;
        }
        if (role == Qt::TextAlignmentRole && index.column() == kColumnElements) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
        switch (index.column()) {
            case kColumnName: return names_[k];
            case kColumnKind: return kindLabels_[static_cast<size_t>(scene_.objectKinds[k])];
            case kColumnElements: return scene_.elementCounts[k];
            default: return {};
        }
    }

    // A check box clicked: the object's command, when the box is to change.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        const std::optional<ObjectFlag> flag = FlagOfColumn(index.column());
        if (role != Qt::CheckStateRole || !flag) return false;
        const Command command = Command::OfObject(*flag, ObjectAt(index.row()));
        if (read_(command).value_or(false) != (value.toInt() == Qt::Checked)) run_({command});
        return true;
    }

private:
    // The rows from the filter: a case-blind match in the name, the kind as the menus
    // call it, or its tag in the file.
    void Filter() {
        rows_.clear();
        for (size_t k = 0; k < names_.size(); ++k) {
            const ObjectKind kind = scene_.objectKinds[k];
            if (filter_.isEmpty() || names_[k].contains(filter_, Qt::CaseInsensitive) ||
                kindLabels_[static_cast<size_t>(kind)].contains(filter_, Qt::CaseInsensitive) ||
                QString::fromLatin1(ObjectKindTag(kind)).contains(filter_, Qt::CaseInsensitive)) {
                rows_.push_back(static_cast<int32_t>(k));
            }
        }
    }

    const SceneModel& scene_;
    const CommandsHandler& run_;  // the panel's, which owns these rows
    const SwitchReader& read_;
    std::array<QString, kObjectKindCount> kindLabels_;
    std::array<QString, kColumnCount> headers_;
    std::vector<QString> names_;   // every object's name, decoded for display
    std::vector<int32_t> rows_;    // the objects shown, in load order
    QString filter_;
};

ObjectsPanel::ObjectsPanel(const SceneModel& scene, uint32_t language, CommandsHandler run, SwitchReader read,
                           QWidget* parent)
    : QDockWidget(QString::fromUtf8(TextsFor(language).menu.objects), parent),
      scene_(scene),
      run_(std::move(run)),
      read_(std::move(read)),
      rows_(new ObjectRows(scene, language, run_, read_, this)),
      filter_(new QLineEdit),
      table_(new QTableView),
      colourByRow_(new QWidget),
      colourBy_(new QComboBox) {
    setObjectName(QStringLiteral("objectsPanel"));
    filter_->setPlaceholderText(QString::fromUtf8(TextsFor(language).panel.filter));
    filter_->setClearButtonEnabled(true);
    filter_->setAcceptDrops(false);  // a scene file dropped on it is loaded, as anywhere on the window
    connect(filter_, &QLineEdit::textChanged, rows_, &ObjectRows::SetFilter);

    table_->setModel(rows_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);  // Tab goes between the filter and the list
    table_->setShowGrid(false);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kColumnName, QHeaderView::Stretch);
    header->setHighlightSections(false);

    auto* contents = new QWidget;
    // Room for names of some twenty characters beside the other columns.
    contents->setMinimumWidth(fontMetrics().averageCharWidth() * 58);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(4, 4, 4, 4);
    // The value the objects are coloured by, as the View menu's "Colour by" chooses it.
    auto* colourByLayout = new QHBoxLayout(colourByRow_);
    colourByLayout->setContentsMargins(0, 0, 0, 0);
    colourByLayout->addWidget(new QLabel(QString::fromUtf8(TextsFor(language).panel.colourBy)));
    colourByLayout->addWidget(colourBy_, 1);
    colourBy_->addItem(QString::fromUtf8(TextsFor(language).menu.ownColours));
    connect(colourBy_, &QComboBox::activated, this, [this](int index) {
        run_({Command::Fixed(index <= 0 ? kCommandOwnColours : kCommandColourByValue1 + (index - 1))});
    });
    colourByRow_->hide();
    layout->addWidget(colourByRow_);
    layout->addWidget(filter_);
    layout->addWidget(table_);
    setWidget(contents);
    filter_->installEventFilter(this);
    table_->installEventFilter(this);
    hide();
}

void ObjectsPanel::ListObjects() {
    rows_->Renew();
    ListValues();
    if (!isHidden()) QTimer::singleShot(0, this, [this] { FitNames(); });
}

void ObjectsPanel::ListValues() {
    const std::vector<std::string> names = ValueNames(scene_);
    const QSignalBlocker quiet(colourBy_);
    while (colourBy_->count() > 1) colourBy_->removeItem(colourBy_->count() - 1);
    for (size_t k = 0; k < names.size() && k < static_cast<size_t>(kColourByValueEntries); ++k) {
        colourBy_->addItem(QString::fromStdString(DecodeNameForDisplay(names[k])));
    }
    colourByRow_->setVisible(!names.empty());
    ShowColourBy();
}

void ObjectsPanel::ShowColourBy() {
    const QSignalBlocker quiet(colourBy_);
    int chosen = 0;
    for (int k = 1; k < colourBy_->count(); ++k) {
        if (read_(Command::Fixed(kCommandColourByValue1 + (k - 1))).value_or(false)) chosen = k;
    }
    colourBy_->setCurrentIndex(chosen);
}

void ObjectsPanel::ShowRecords() {
    rows_->ShowFlags();
    ShowColourBy();
    const bool shown = read_(Command::Fixed(kCommandObjectsPanel)).value_or(false);
    if (shown != isHidden()) return;
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    setVisible(shown);
    if (shown) {
        // Ready to type a name; widened for the names once it is laid out.
        filter_->setFocus();
        filter_->selectAll();
        QTimer::singleShot(0, this, [this] { FitNames(); });
    } else if (hadFocus) {
        ReturnFocus();
    }
}

void ObjectsPanel::closeEvent(QCloseEvent* event) {
    event->ignore();
    const Command hide = Command::Fixed(kCommandObjectsPanel);
    if (read_(hide).value_or(false)) run_({hide});
}

// Widens the docked panel, never beyond half the window, until the longest name
// shows whole; it is never narrowed, so a width the user chose stays.
void ObjectsPanel::FitNames() {
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (window == nullptr || isHidden() || isFloating()) return;
    const QAbstractItemView* list = table_;  // where the column's size hint is public
    const int needed = std::max(list->sizeHintForColumn(kColumnName),
                                table_->horizontalHeader()->sectionSizeHint(kColumnName));
    int missing = needed - table_->horizontalHeader()->sectionSize(kColumnName);
    // A list that will scroll once it is narrower still takes its scroll bar's width.
    if (!table_->verticalScrollBar()->isVisible() && table_->verticalScrollBar()->maximum() > 0) {
        missing += table_->verticalScrollBar()->sizeHint().width();
    }
    const int width = std::min(this->width() + missing, window->width() / 2);
    if (missing > 0 && width > this->width()) window->resizeDocks({this}, {width}, Qt::Horizontal);
}

// The drawing area has the keyboard again.
void ObjectsPanel::ReturnFocus() {
    if (auto* window = qobject_cast<QMainWindow*>(parentWidget()); window != nullptr && window->centralWidget()) {
        window->centralWidget()->setFocus();
    }
}

// Space switches every selected object to the opposite of what the current row shows
// (in the Transparent column its transparency, elsewhere whether it is shown), so a
// mixed selection becomes one state; with no row selected, the current row's object.
// Objects without the flag are left alone.
void ObjectsPanel::SwitchSelected() {
    const QModelIndex current = table_->currentIndex();
    const ObjectFlag flag = current.column() == kColumnTransparent ? ObjectFlag::Transparent : ObjectFlag::Visible;
    QModelIndexList selected = table_->selectionModel()->selectedRows();
    if (selected.isEmpty() && current.isValid()) selected.append(current);
    std::vector<int32_t> objects;
    for (const QModelIndex& row : selected) {
        if (rows_->HasFlag(rows_->ObjectAt(row.row()), flag)) objects.push_back(rows_->ObjectAt(row.row()));
    }
    if (objects.empty()) return;
    std::sort(objects.begin(), objects.end());
    const bool currentCounts = current.isValid() && table_->selectionModel()->isRowSelected(current.row()) &&
                               rows_->HasFlag(rows_->ObjectAt(current.row()), flag);
    const int32_t reference = currentCounts ? rows_->ObjectAt(current.row()) : objects.front();
    const bool target = !read_(Command::OfObject(flag, reference)).value_or(false);
    std::vector<Command> commands;
    for (int32_t object : objects) {
        const Command command = Command::OfObject(flag, object);
        if (read_(command).value_or(false) != target) commands.push_back(command);
    }
    run_(commands);
}

// The panel keeps the plain keys it uses while it has the keyboard: typing, moving in
// the list, Space and Escape, which gives the keyboard back to the drawing area
// instead of ending the program. Function keys and keys with Ctrl or Alt stay the
// window's.
bool ObjectsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
        return QDockWidget::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0 &&
                       (key->key() < Qt::Key_F1 || key->key() > Qt::Key_F35);
    if (event->type() == QEvent::ShortcutOverride) {
        if (!plain) return false;
        event->accept();
        return true;
    }
    if (!plain) return false;
    if (key->key() == Qt::Key_Escape) {
        ReturnFocus();
        return true;
    }
    if (watched == filter_ && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        // Into the list, at the current row (the first one if there is none), which is
        // selected alone: Space then switches the row the keyboard is on. Taking the
        // focus may already have made a row current, without selecting it.
        table_->setFocus();
        if (rows_->rowCount() > 0) {
            const QModelIndex current = table_->currentIndex();
            table_->selectionModel()->setCurrentIndex(current.isValid() ? current : rows_->index(0, 0),
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        return true;
    }
    if (watched == table_ && key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
        SwitchSelected();
        return true;
    }
    return false;
}

}  // namespace talan
