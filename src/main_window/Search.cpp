// Search and sorting in the main window: stepping through the tasks whose titles contain
// the text of the search box, "Найти" as the window's default button, and sorting the
// grid by a click on a column title, kept across runs in the settings value Index.
#include "main_window/GridModel.h"
#include "main_window/TForm_Main.h"
#include "main_window/TaskGrid.h"
#include "main_window/TitleSearch.h"
#include "settings/Settings.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Clicks.h"
#include "toolkit/Error.h"
#include "toolkit/Guarded.h"
#include "toolkit/UserLocale.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

void TForm_Main::connectSearch() {
    connect(ButtonSearch, &QPushButton::clicked, this,
            guarded(this, &TForm_Main::ButtonSearchClick));
    connect(EditSearch, &QLineEdit::textChanged, this,
            guarded(this, &TForm_Main::EditSearchChange));
    onClick(EditSearch, guarded(this, &TForm_Main::EditSearchClick));
    connect(DBGrid_Main, &TaskGrid::titleClick, this,
            guarded(this, &TForm_Main::DBGrid_MainTitleClick));
    ButtonSearch->setDefault(true);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        enter->setContext(Qt::WindowShortcut);
        connect(enter, &QShortcut::activated, this, &TForm_Main::pressDefaultButton);
    }
    DBGrid_Main->horizontalHeader()->setSortIndicatorShown(true);
    showSortArrow();
}

// Enter in the window presses the button that has the focus, or else "Найти".
void TForm_Main::pressDefaultButton() {
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    (focused ? focused : ButtonSearch)->click();
}

void TForm_Main::ButtonSearchClick() {
    if (!EditSearch->hasFocus() && !ButtonSearch->hasFocus())
        return;
    if (EditSearch->text().isEmpty())
        return;
    TTable& tasks = table();
    const int count = tasks.RecordCount();
    int found = 0;
    // The reminder watch walks the same cursor: it is off while the search looks through the
    // tasks, and on again however the search ends.
    if (count != 0) {
        const ReminderWatch::Pause searching(*Watch);
        const int current = tasks.RecNo();
        const int start = m_restartSearch || current < 1 || current >= count ? 1 : current + 1;
        found = findTitle(tasks, TitleMatcher(EditSearch->text(), UserLocale::get()), start);
        if (found != 0)
            tasks.setRecNo(found);
    }
    m_restartSearch = false;
    // Without a find the current record never left its place.
    if (found == 0)
        return;
    DBGrid_Main->setSelectedColumn(GridModel::fieldColumn(F_Plan));
    DBGrid_Main->setFocus();
}

void TForm_Main::EditSearchClick() {
    EditSearch->selectAll();
}

void TForm_Main::EditSearchChange() {
    m_restartSearch = true;
}

// The order is ascending only: a second click on the same title changes nothing. The
// choice is stored on every click.
void TForm_Main::DBGrid_MainTitleClick(int column) {
    const QString field = fieldName(GridModel::columnField(column));
    table().setIndexFieldNames(field);
    showSortArrow();
    storeSortColumn(field);
}

// The arrow sits on the title of the column the table is sorted by (none for the stored
// order) and always points the ascending way; the header would flip it on a click.
void TForm_Main::showSortArrow() {
    const int field = m_model ? fieldIndex(table().IndexFieldNames()) : -1;
    DBGrid_Main->horizontalHeader()->setSortIndicator(
        field < 0 ? -1 : GridModel::fieldColumn(field), Qt::AscendingOrder);
}

// Settings that cannot be written (a read-only file) leave the sort for this run only.
// The user hears of it once, not at every click, until a write succeeds again.
void TForm_Main::storeSortColumn(const QString& field) {
    try {
        Settings::write(Settings::TarvikKey, QStringLiteral("Index"), field);
        m_sortStoreFailed = false;
    } catch (const TarvikError&) {
        if (m_sortStoreFailed)
            return;
        m_sortStoreFailed = true;
        throw;
    }
}
