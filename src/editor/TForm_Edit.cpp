#include "editor/TForm_Edit.h"

#include "editor/BoundEdits.h"
#include "store/TDataSource.h"
#include "store/TTable.h"
#include "toolkit/Appearance.h"
#include "toolkit/CharacterLimit.h"
#include "toolkit/Clock.h"
#include "toolkit/DatePicker.h"
#include "toolkit/Error.h"
#include "toolkit/Guarded.h"
#include "toolkit/MaskEdit.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UpDown.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>

namespace {

const int ClientWidth = 348;
// The controls are laid out for this client height, which the window has at 380 pixels
// with the frame the layout was made for.
const int LayoutHeight = 350;
const int LayoutFrame = 30;
const int LastHour = 23;
const int LastMinute = 59;

// A label at its place, never narrower than its text needs (the layout's widths are those
// of "Comic Sans MS"; a fallback font may be wider).
QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& place, int pixelSize,
                  bool bold) {
    auto* label = new QLabel(text, parent);
    label->setFont(Appearance::font(pixelSize, bold));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(QRect(place.topLeft(), place.size().expandedTo(label->sizeHint())));
    return label;
}

DatePicker* makeDatePicker(QWidget* parent, const QRect& place) {
    auto* picker = new DatePicker(parent);
    picker->setGeometry(place);
    return picker;
}

QPushButton* makeButton(QWidget* parent, const QString& caption, const QRect& place) {
    auto* button = new QPushButton(caption, parent);
    button->setIconSize(QSize(16, 16));
    button->setFont(Appearance::font(15, true));
    button->setGeometry(place);
    return button;
}

MaskEdit* makeTimeField(QWidget* parent, const QRect& place) {
    auto* edit = new MaskEdit(2, parent);
    edit->setGeometry(place);
    return edit;
}

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

TForm_Edit::TForm_Edit(TDataSource* source, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_source(source) {
    setFont(Appearance::font(13));
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 0, ClientWidth, LayoutHeight);
    buildTaskControls();
    buildButtons();
    buildReminderRow();
    nameControls();
    setTabOrders();
    connectHandlers();
    applyHeight();
}

void TForm_Edit::buildTaskControls() {
    Label1 = makeLabel(Panel1, QStringLiteral("Задача"), {8, 1, 50, 21}, 15, true);
    DBEdit1 = new DBEdit(m_source, F_Plan, Panel1);
    DBEdit1->setValidator(new CharacterLimit(PlanSize, DBEdit1));
    DBEdit1->setGeometry(8, 24, 225, 26);
    Label2 = makeLabel(Panel1, QStringLiteral("Дата"), {8, 64, 35, 21}, 15, true);
    DateTimePicker1 = makeDatePicker(Panel1, {8, 85, 113, 26});
    Label3 = makeLabel(Panel1, QStringLiteral("Описание"), {8, 129, 74, 21}, 15, true);
    DBMemo1 = new DBMemo(m_source, F_Comments, Panel1);
    DBMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DBMemo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab leaves the description; Enter stays in it as a line break.
    DBMemo1->setTabChangesFocus(true);
    DBMemo1->setGeometry(8, 150, 225, 131);
}

void TForm_Edit::buildButtons() {
    // A Latin "O" and a Cyrillic "к".
    Button_OK = makeButton(Panel1, QStringLiteral("O\u043a"), {250, 24, 89, 30});
    Button_OK->setDefault(true);
    Button_Cancel = makeButton(Panel1, QStringLiteral("Отмена"), {250, 64, 89, 30});
}

void TForm_Edit::buildReminderRow() {
    CheckBox_Reminder = new QCheckBox(QStringLiteral("Напоминание"), Panel1);
    CheckBox_Reminder->setGeometry(8, 288, 201, 17);
    DateTimePicker_Reminder = makeDatePicker(Panel1, {8, 312, 113, 26});
    Edit_Hour = makeTimeField(Panel1, {136, 312, 31, 26});
    // One step past each end, so that the handlers can wrap around.
    UpDown_Hour = new UpDown(-1, LastHour + 1, Panel1);
    UpDown_Hour->setGeometry(168, 312, 17, 25);
    Label_Time = makeLabel(Panel1, QStringLiteral(":"), {192, 304, 8, 38}, 27, false);
    Edit_Minute = makeTimeField(Panel1, {208, 312, 33, 26});
    UpDown_Minute = new UpDown(-1, LastMinute + 1, Panel1);
    UpDown_Minute->setGeometry(240, 312, 17, 25);
}

// What a screen reader calls each field: the label above it, or for the reminder row,
// which has no labels, what the field holds.
void TForm_Edit::nameControls() {
    Label1->setBuddy(DBEdit1);
    Label2->setBuddy(DateTimePicker1);
    Label3->setBuddy(DBMemo1);
    DateTimePicker_Reminder->setAccessibleName(QStringLiteral("Дата напоминания"));
    Edit_Hour->setAccessibleName(QStringLiteral("Часы"));
    UpDown_Hour->setAccessibleName(QStringLiteral("Часы"));
    Edit_Minute->setAccessibleName(QStringLiteral("Минуты"));
    UpDown_Minute->setAccessibleName(QStringLiteral("Минуты"));
}

// The spin buttons take no focus, so the chain skips them.
void TForm_Edit::setTabOrders() {
    const QList<QWidget*> order = {
        DBEdit1,           DateTimePicker1,         DBMemo1,   Button_OK,  Button_Cancel,
        CheckBox_Reminder, DateTimePicker_Reminder, Edit_Hour, Edit_Minute};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TForm_Edit::connectHandlers() {
    connect(Button_OK, &QPushButton::clicked, this, [this] { press(&TForm_Edit::Button_OKClick); });
    connect(Button_Cancel, &QPushButton::clicked, this, &TForm_Edit::reject);
    connect(CheckBox_Reminder, &QCheckBox::toggled, this,
            guarded(this, &TForm_Edit::CheckBox_ReminderClick));
    connect(Edit_Hour, &MaskEdit::changed, this, guarded(this, &TForm_Edit::Edit_HourChange));
    connect(Edit_Minute, &MaskEdit::changed, this, guarded(this, &TForm_Edit::Edit_MinuteChange));
    connect(UpDown_Hour, &UpDown::clicked, this, guarded(this, &TForm_Edit::UpDown_HourClick));
    connect(UpDown_Minute, &UpDown::clicked, this, guarded(this, &TForm_Edit::UpDown_MinuteClick));
    connect(Edit_Hour, &MaskEdit::clicked, this, guarded(this, &TForm_Edit::Edit_HourClick));
    connect(Edit_Minute, &MaskEdit::clicked, this, guarded(this, &TForm_Edit::Edit_MinuteClick));
}

void TForm_Edit::setHeight(int outerHeight) {
    m_outerHeight = outerHeight;
    applyHeight();
}

void TForm_Edit::enableTaskFields(bool on) {
    const QList<QWidget*> fields = {CheckBox_Reminder, DBEdit1, DateTimePicker1, DBMemo1};
    for (QWidget* field : fields)
        field->setEnabled(on);
}

void TForm_Edit::prepareForAdd() {
    table()->Insert();
    table()->FieldByName(QStringLiteral("Date")).setAsDateTime(Clock::today());
    showTaskDate(Clock::today().date());
    setWindowTitle(QStringLiteral("Добавить задачу"));
    setHeight(HeightWithoutReminder);
    CheckBox_Reminder->setChecked(false);
    enableTaskFields(true);
}

// The record is not put into editing here: the bound controls do that when the user
// changes them, and OK does it in any case. Ticking the box runs its handler, which fills
// the reminder row the same way.
void TForm_Edit::prepareForEdit() {
    setWindowTitle(QStringLiteral("Изменить задачу"));
    showTaskDate(table()->Fields(F_Date).AsDateTime().date());
    const bool hasReminder = !table()->Fields(F_Reminder).IsNull();
    if (hasReminder)
        fillReminderRow();
    setHeight(hasReminder ? HeightWithReminder : HeightWithoutReminder);
    CheckBox_Reminder->setChecked(hasReminder);
    enableTaskFields(!table()->FieldByName(QStringLiteral("Completed")).AsBoolean());
}

// The box keeps the enabled state the previous use left; the reminder row stays enabled,
// so a past reminder can be moved ahead.
void TForm_Edit::prepareForReminder() {
    showTaskDate(table()->Fields(F_Date).AsDateTime().date());
    const QList<QWidget*> shownOnly = {DBEdit1, DateTimePicker1, DBMemo1};
    for (QWidget* field : shownOnly)
        field->setEnabled(false);
    setWindowTitle(table()->Fields(F_Reminder).IsNull() ? QStringLiteral("Установить напоминание")
                                                        : QStringLiteral("Изменить напоминание"));
    fillReminderRow();
    setHeight(HeightWithReminder);
    CheckBox_Reminder->setChecked(true);
}

void TForm_Edit::showTaskDate(const QDate& date) {
    DateTimePicker1->setDate(date);
    m_shownDate = date;
}

void TForm_Edit::ShowModal() {
    // The frame may have become known since the caller set the height.
    applyHeight();
    centreOnDesktop();
    exec();
}

void TForm_Edit::applyHeight() {
    const int client = m_outerHeight - frameHeight();
    setFixedSize(ClientWidth, client);
    Panel1->resize(ClientWidth, client);
}

// The title bar and frame the platform reports, but never less than the frame the layout
// was made for: a thinner one (none at all before the first showing or off screen, a slim
// title bar under some window managers) would bring the reminder row into view at 340.
int TForm_Edit::frameHeight() const {
    return std::max(frameGeometry().height() - geometry().height(), LayoutFrame);
}

void TForm_Edit::centreOnDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(screen->availableGeometry().center() - QPoint(width() / 2, m_outerHeight / 2));
}

// The buttons' pictures come from the desktop's icon theme, whose look-up takes
// milliseconds: they are looked up as the editor first shows, not while the program starts.
void TForm_Edit::setVisible(bool visible) {
    if (visible && Button_OK->icon().isNull()) {
        Button_OK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
        Button_Cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    }
    QDialog::setVisible(visible);
}

void TForm_Edit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        ErrorReport::run([this] { FormShow(); });
}

// The platform knows the real frame only once the window has been framed, which is
// reported as a move.
void TForm_Edit::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (height() != m_outerHeight - frameHeight())
        applyHeight();
}

void TForm_Edit::reject() {
    press(&TForm_Edit::Button_CancelClick);
}

void TForm_Edit::done(int result) {
    QDialog::done(result);
    ErrorReport::run([this] { FormClose(); });
}

void TForm_Edit::press(void (TForm_Edit::*handler)()) {
    m_closeRequest.reset();
    ErrorReport::run([this, handler] { (this->*handler)(); });
    if (!m_closeRequest)
        return;
    const int result = *m_closeRequest;
    m_closeRequest.reset();
    done(result);
}

TTable* TForm_Edit::table() const {
    return m_source->DataSet();
}

// The reminder date at the hour and minute of the two fields, seconds zero.
QDateTime TForm_Edit::reminderMoment() const {
    bool hourOk = false;
    bool minuteOk = false;
    const QTime time(Edit_Hour->value(&hourOk), Edit_Minute->value(&minuteOk));
    if (!hourOk || !minuteOk || !time.isValid())
        throw TarvikError(QStringLiteral("'%1:%2' не является правильным временем")
                              .arg(Edit_Hour->text(), Edit_Minute->text()));
    return QDateTime(DateTimePicker_Reminder->date(), time);
}

void TForm_Edit::Button_OKClick() {
    if (!titleTestPassed() || !reminderTestPassed())
        return;
    table()->Edit();
    if (DateTimePicker1->date() != m_shownDate)
        table()
            ->FieldByName(QStringLiteral("Date"))
            .setAsDateTime(QDateTime(DateTimePicker1->date(), QTime(0, 0)));
    // Setting the moment the field already holds, or clearing an empty one, leaves the
    // stored value as it is.
    TField reminder = table()->FieldByName(QStringLiteral("Reminder"));
    if (CheckBox_Reminder->isChecked())
        reminder.setAsDateTime(reminderMoment());
    else
        reminder.Clear();
    try {
        table()->Post();
    } catch (const RowChangedElsewhere&) {
        // The table shows the task as another instance left it now; what the editor holds
        // was made from the old one, and OK again would write that over it.
        askToClose(Rejected);
        throw;
    }
    table()->Refresh();
    askToClose(Accepted);
}

// A title of spaces only passes.
bool TForm_Edit::titleTestPassed() {
    if (!DBEdit1->text().isEmpty())
        return true;
    MessageBox::inform(this, QStringLiteral("Нет заголовка задачи!"),
                       QStringLiteral("Введите заголовок задачи!"));
    DBEdit1->setFocus();
    return false;
}

// The moment has zero seconds, so a reminder for the current minute has always passed.
bool TForm_Edit::reminderTestPassed() {
    if (!CheckBox_Reminder->isChecked() || Clock::now() < reminderMoment())
        return true;
    MessageBox::inform(this, QStringLiteral("Время напоминания!"),
                       QStringLiteral("Время напоминания уже прошло!"));
    DateTimePicker_Reminder->setFocus();
    return false;
}

void TForm_Edit::Button_CancelClick() {
    table()->Cancel();
    askToClose(Rejected);
}

void TForm_Edit::FormShow() {
    if (DBEdit1->isEnabled())
        DBEdit1->setFocus();
}

// The caller brings its command buttons up to date, focuses its grid and switches the
// reminder watch on again.
void TForm_Edit::FormClose() {
    emit closed();
}

void TForm_Edit::CheckBox_ReminderClick() {
    if (!CheckBox_Reminder->isChecked()) {
        setHeight(HeightWithoutReminder);
        return;
    }
    setHeight(HeightWithReminder);
    fillReminderRow();
}

void TForm_Edit::fillReminderRow() {
    const TField reminder = table()->FieldByName(QStringLiteral("Reminder"));
    const bool proposed = reminder.IsNull();
    const QDateTime moment = proposed ? Clock::now() : reminder.AsDateTime();
    DateTimePicker_Reminder->setDate(proposed ? DateTimePicker1->date() : moment.date());
    Edit_Hour->setText(moment.toString(QStringLiteral("hh")));
    Edit_Minute->setText(moment.toString(QStringLiteral("mm")));
}

void TForm_Edit::Edit_HourChange() {
    timeTextChanged(Edit_Hour, UpDown_Hour, LastHour);
}
void TForm_Edit::Edit_MinuteChange() {
    timeTextChanged(Edit_Minute, UpDown_Minute, LastMinute);
}
void TForm_Edit::UpDown_HourClick() {
    spinClicked(Edit_Hour, UpDown_Hour, LastHour);
}
void TForm_Edit::UpDown_MinuteClick() {
    spinClicked(Edit_Minute, UpDown_Minute, LastMinute);
}
void TForm_Edit::Edit_HourClick() {
    Edit_Hour->selectAll();
}
void TForm_Edit::Edit_MinuteClick() {
    Edit_Minute->selectAll();
}

// Setting the text here runs this handler again for the new text, which changes nothing
// further.
void TForm_Edit::timeTextChanged(MaskEdit* edit, UpDown* upDown, int highest) {
    if (edit->text().trimmed().isEmpty())
        edit->setText(QStringLiteral("00"));
    if (edit->wholeNumber() > highest)
        edit->setText(QStringLiteral("00"));
    upDown->setPosition(edit->wholeNumber());
}

// The spin range reaches one step past each end; those two positions wrap around.
void TForm_Edit::spinClicked(MaskEdit* edit, UpDown* upDown, int highest) {
    int position = upDown->Position();
    if (position > highest)
        position = 0;
    else if (position < 0)
        position = highest;
    upDown->setPosition(position);
    edit->setText(twoDigits(position));
    edit->setFocus();
    edit->selectAll();
}
