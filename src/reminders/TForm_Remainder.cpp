#include "reminders/TForm_Remainder.h"

#include "store/TDataSource.h"
#include "store/TTable.h"
#include "toolkit/Appearance.h"
#include "toolkit/Clock.h"
#include "toolkit/Guarded.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Pictures.h"
#include "toolkit/UpDown.h"
#include "toolkit/WindowPlacement.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

namespace {

// The postpone units, by the index of ComboBox_Ed_Izm: the amount's digits, its highest
// value, and how it moves the reminder.
struct Unit {
    const char* name;
    int digits;
    int highest;
};
const std::array<Unit, 3> units = {{{"мин.", 2, 59}, {"ч.", 2, 23}, {"дн.", 3, 365}}};
enum { Minutes, Hours, Days };

QString zeros(int digits) {
    return QString(digits, QLatin1Char('0'));
}

// The base moment is the current minute, begun, built from the clock's own date, hour and
// minute, so that it is the same in every locale.
QDateTime postponed(const QDateTime& now, int unit, int amount) {
    const QDateTime base(now.date(), QTime(now.time().hour(), now.time().minute()));
    switch (unit) {
    case Minutes:
        return base.addSecs(qint64(amount) * 60);
    case Hours:
        return base.addSecs(qint64(amount) * 3600);
    default:
        return base.addDays(amount);
    }
}

} // namespace

TForm_Remainder::TForm_Remainder(TDataSource* source, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          // above every other application's windows, as long as it is shown
                          Qt::WindowStaysOnTopHint)
    , m_source(source) {
    setWindowTitle(QStringLiteral("Напоминание"));
    setFont(Appearance::font(13));
    setFixedSize(361, 191);
    buildChoices();
    Edit_Plan = new QLineEdit(this);
    Edit_Plan->setReadOnly(true);
    Edit_Plan->setGeometry(16, 16, 185, 26);
    Memo_Comment = new QPlainTextEdit(this);
    Memo_Comment->setReadOnly(true);
    Memo_Comment->setTabChangesFocus(true);
    Memo_Comment->setGeometry(16, 48, 185, 137);
    BitBtn1 = new QPushButton(Pictures::greenTick(), QStringLiteral("Ок"), this);
    BitBtn1->setIconSize(QSize(16, 16));
    BitBtn1->setFont(Appearance::font(15, true));
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(256, 160, 97, 25);
    buildPostponeControls();
    nameControls();
    setTabOrders();
    connectHandlers();
}

void TForm_Remainder::buildChoices() {
    RadioGroup_Reminder = new QGroupBox(this);
    RadioGroup_Reminder->setGeometry(216, 16, 137, 89);
    auto* column = new QVBoxLayout(RadioGroup_Reminder);
    m_choices = new QButtonGroup(this);
    for (const char* item : {"Прекратить", "Отложить", "Завершить"}) {
        auto* button = new QRadioButton(QString::fromUtf8(item), RadioGroup_Reminder);
        column->addWidget(button);
        m_choices->addButton(button, int(m_choices->buttons().size()));
    }
    m_choices->button(Stop)->setChecked(true);
}

// Hidden until the choice is "Отложить"; the unit "мин." and the amount 0 at start.
void TForm_Remainder::buildPostponeControls() {
    ComboBox_Ed_Izm = new QComboBox(this);
    ComboBox_Ed_Izm->setEditable(true);
    // Typed text stays as typed: no completion, no new items.
    ComboBox_Ed_Izm->setCompleter(nullptr);
    ComboBox_Ed_Izm->setInsertPolicy(QComboBox::NoInsert);
    for (const Unit& unit : units)
        ComboBox_Ed_Izm->addItem(QString::fromUtf8(unit.name));
    ComboBox_Ed_Izm->setCurrentIndex(Minutes);
    ComboBox_Ed_Izm->setGeometry(296, 120, 57, 26);
    Edit_Time = new MaskEdit(units[Minutes].digits, this);
    Edit_Time->setText(zeros(units[Minutes].digits));
    Edit_Time->setGeometry(216, 120, 45, 26);
    UpDown_Time = new UpDown(0, units[Minutes].highest, this);
    UpDown_Time->setGeometry(264, 120, 17, 25);
    for (QWidget* control : postponeControls())
        control->hide();
}

// The dialog has no labels: a screen reader calls each field by what it holds. The unit's
// typed text and its drop-down list are the unit too; on Linux a combo box speaks its
// value as its name, so the unit's word is also its description.
void TForm_Remainder::nameControls() {
    Edit_Plan->setAccessibleName(QStringLiteral("Задача"));
    Memo_Comment->setAccessibleName(QStringLiteral("Описание"));
    Edit_Time->setAccessibleName(QStringLiteral("Количество"));
    UpDown_Time->setAccessibleName(QStringLiteral("Количество"));
    const QList<QWidget*> unit = {ComboBox_Ed_Izm, ComboBox_Ed_Izm->lineEdit(),
                                  ComboBox_Ed_Izm->view()};
    for (QWidget* part : unit)
        part->setAccessibleName(QStringLiteral("Единица"));
    ComboBox_Ed_Izm->setAccessibleDescription(QStringLiteral("Единица"));
}

// The spin arrows take no focus, so the chain ends at the amount.
void TForm_Remainder::setTabOrders() {
    QList<QWidget*> order;
    for (QAbstractButton* item : m_choices->buttons())
        order << item;
    order << Edit_Plan << Memo_Comment << BitBtn1 << ComboBox_Ed_Izm << Edit_Time;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TForm_Remainder::connectHandlers() {
    connect(m_choices, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            ErrorReport::run([this] { RadioGroup_ReminderClick(); });
    });
    // A unit picked from the list (also the one already shown), or its text typed.
    connect(ComboBox_Ed_Izm, &QComboBox::activated, this,
            guarded(this, &TForm_Remainder::ComboBox_Ed_IzmChange));
    connect(ComboBox_Ed_Izm->lineEdit(), &QLineEdit::textEdited, this,
            guarded(this, &TForm_Remainder::ComboBox_Ed_IzmChange));
    connect(Edit_Time, &MaskEdit::changed, this, guarded(this, &TForm_Remainder::Edit_TimeChange));
    connect(Edit_Time, &MaskEdit::clicked, this, guarded(this, &TForm_Remainder::Edit_TimeClick));
    connect(UpDown_Time, &UpDown::clicked, this, guarded(this, &TForm_Remainder::UpDown_TimeClick));
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TForm_Remainder::BitBtn1Click));
}

TTable* TForm_Remainder::table() const {
    return m_source->DataSet();
}

void TForm_Remainder::prepareForCurrentTask() {
    TTable* task = table();
    setWindowTitle(
        task->Fields(F_Reminder).AsDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")));
    Edit_Plan->setText(task->Fields(F_Plan).AsString());
    Edit_Plan->setCursorPosition(0);
    Memo_Comment->setPlainText(task->Fields(F_Comments).AsString());
    setChoice(Stop);
}

// Each showing starts on the choice, as the first showing does.
int TForm_Remainder::ShowModal() {
    WindowPlacement::centre(this, WindowPlacement::Area::Available);
    m_choices->checkedButton()->setFocus();
    return exec();
}

int TForm_Remainder::choice() const {
    return m_choices->checkedId();
}

void TForm_Remainder::setChoice(int choice) {
    m_choices->button(choice)->setChecked(true);
}

int TForm_Remainder::unitIndex() const {
    return ComboBox_Ed_Izm->findText(ComboBox_Ed_Izm->currentText());
}

void TForm_Remainder::done(int result) {
    QDialog::done(result);
    emit closed(result == Accepted);
}

// No cancel button: Esc closes nothing.
void TForm_Remainder::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QList<QWidget*> TForm_Remainder::postponeControls() const {
    return {ComboBox_Ed_Izm, Edit_Time, UpDown_Time};
}

void TForm_Remainder::RadioGroup_ReminderClick() {
    for (QWidget* control : postponeControls())
        control->setVisible(choice() == Postpone);
}

// The text set here runs the amount handler, which puts the spin position to 0.
void TForm_Remainder::ComboBox_Ed_IzmChange() {
    const int unit = unitIndex();
    if (unit < 0)
        return;
    Edit_Time->setDigits(units[size_t(unit)].digits);
    Edit_Time->setText(zeros(units[size_t(unit)].digits));
    UpDown_Time->setMax(units[size_t(unit)].highest);
}

// Setting the text here runs this handler again for the new text, which changes nothing
// further.
void TForm_Remainder::Edit_TimeChange() {
    const int unit = unitIndex();
    if (unit < 0)
        return;
    const Unit& limits = units[size_t(unit)];
    if (Edit_Time->text().trimmed().isEmpty())
        Edit_Time->setText(zeros(limits.digits));
    if (Edit_Time->wholeNumber() > limits.highest)
        Edit_Time->setText(QString::number(limits.highest));
    UpDown_Time->setPosition(Edit_Time->wholeNumber());
}

void TForm_Remainder::UpDown_TimeClick() {
    Edit_Time->setText(QStringLiteral("%1").arg(UpDown_Time->Position(), Edit_Time->digits(), 10,
                                                QLatin1Char('0')));
    Edit_Time->selectAll();
}

void TForm_Remainder::Edit_TimeClick() {
    Edit_Time->selectAll();
}

void TForm_Remainder::BitBtn1Click() {
    switch (choice()) {
    case Stop:
        answer([this] { table()->Fields(F_Reminder).Clear(); });
        break;
    case Postpone:
        postpone();
        break;
    default:
        answer([this] {
            table()->Fields(F_Completed).setAsVariant(true);
            table()->Fields(F_Reminder).Clear();
        });
    }
}

// The base moment is taken when OK is pressed. With the unit typed over, the reminder
// keeps its moment and comes back at the next tick.
void TForm_Remainder::postpone() {
    const int amount = Edit_Time->wholeNumber();
    if (amount == 0) {
        MessageBox::inform(this, QStringLiteral("Не задано время!"),
                           QStringLiteral("Установите время либо прекратите напоминание!"));
        Edit_Time->setFocus();
        return;
    }
    const int unit = unitIndex();
    answer([this, unit, amount] {
        if (unit >= 0)
            table()->Fields(F_Reminder).setAsVariant(postponed(Clock::now(), unit, amount));
    });
}

// A refused write leaves nothing pending: the dialog stays open with the user's choice, and
// the next OK writes the whole answer again. Only when another instance of the program has
// changed or deleted the task does the dialog close, as it no longer shows what the file
// holds; a task still due comes back at the next tick.
void TForm_Remainder::answer(const std::function<void()>& changes) {
    try {
        table()->Amend(changes);
    } catch (const RowChangedElsewhere&) {
        reject();
        throw;
    }
    table()->Refresh();
    accept();
}
