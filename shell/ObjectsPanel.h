// The objects panel: a dock of the main window that lists every object in load order
// with its kind, name and element count, and check boxes for what the object menus
// switch. It changes nothing itself: every switch is a command given to its command
// handler, and the check boxes are read through its switch reader, as the menus'
// check marks are, so the panel and the menus always agree.
#pragma once

#include <cstdint>

#include <QDockWidget>

#include "scene/SceneModel.h"
#include "shell/CommandIds.h"

class QComboBox;
class QLineEdit;
class QTableView;

namespace talan {

class ObjectRows;

class ObjectsPanel : public QDockWidget {
public:
    // Lists the objects of `scene`, hidden until the objects-panel command's switch
    // is on; texts in `language`. Switches go to `run`, check boxes are read from
    // `read`.
    ObjectsPanel(const SceneModel& scene, uint32_t language, CommandsHandler run, SwitchReader read,
                 QWidget* parent = nullptr);

    // The objects changed (a load added some, New removed them all): the rows follow,
    // and a shown panel widens for longer names.
    void ListObjects();
    // The records changed: the check boxes are read again, and the panel is shown or
    // hidden as the objects-panel command's switch says. Shown, it widens so
    // that every name shows whole, within half the window; a name cut short shows
    // whole in its tool tip.
    void ShowRecords();

    QLineEdit* FilterField() const { return filter_; }
    QComboBox* ColourByList() const { return colourBy_; }
    QTableView* Table() const { return table_; }

protected:
    // The close box hides the panel through its command, as F9 does.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SwitchSelected();
    void FitNames();
    void ReturnFocus();
    void ListValues();
    void ShowColourBy();

    const SceneModel& scene_;
    CommandsHandler run_;
    SwitchReader read_;
    ObjectRows* rows_;
    QLineEdit* filter_;
    QTableView* table_;
    QWidget* colourByRow_;  // shown while the scene's objects carry values
    QComboBox* colourBy_;   // own colours, then the values, as the "Colour by" submenu
};

}  // namespace talan
