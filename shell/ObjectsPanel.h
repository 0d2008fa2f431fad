// The objects panel: a dock of the main window that lists every object in load order
// with its kind, name and element count, and check boxes for what the object menus
// switch. It changes nothing itself: every switch is a command through
// DispatchCommand, and the check boxes are read from the records, so the panel and
// the menus always agree.
#pragma once

#include <QDockWidget>

class QLineEdit;
class QMainWindow;
class QTableView;

namespace talan {

struct ShellContext;
class ObjectRows;

class ObjectsPanel : public QDockWidget {
public:
    // Hidden until ShellState::objectsPanelShown says otherwise; texts in the
    // language of the menus.
    explicit ObjectsPanel(ShellContext& ctx, QWidget* parent = nullptr);

    // The objects changed (a load added some, New removed them all): the rows follow,
    // and a shown panel widens for longer names.
    void ListObjects();
    // The records changed: the check boxes are drawn from them again, and the panel
    // is shown or hidden as ShellState::objectsPanelShown says. Shown, it widens so
    // that every name shows whole, within half the window; a name cut short shows
    // whole in its tool tip.
    void ShowRecords();

    QLineEdit* FilterField() const { return filter_; }
    QTableView* Table() const { return table_; }

protected:
    // The close box hides the panel through its command, as F9 does.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SwitchSelected();
    void FitNames();
    void ReturnFocus();

    ShellContext& ctx_;
    ObjectRows* rows_;
    QLineEdit* filter_;
    QTableView* table_;
};

// Docks the panel, hidden, at the right of `window` and lets the commands show it.
void AddObjectsPanel(ShellContext& ctx, QMainWindow& window);

}  // namespace talan
