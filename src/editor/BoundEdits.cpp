#include "editor/BoundEdits.h"

#include "store/TDataSource.h"
#include "store/TTable.h"
#include "toolkit/Guarded.h"

#include <QEvent>

#include <utility>

FieldLink::FieldLink(TDataSource* source, int field, QWidget* control,
                     std::function<QString()> text, std::function<void(const QString&)> setText)
    : QObject(control)
    , m_source(source)
    , m_field(field)
    , m_control(control)
    , m_text(std::move(text))
    , m_setText(std::move(setText)) {
    TTable* table = source->DataSet();
    connect(table, &TTable::currentChanged, this, &FieldLink::load);
    connect(table, &TTable::recordChanged, this, &FieldLink::load);
    connect(table, &TTable::beforePost, this, &FieldLink::store);
    control->installEventFilter(this);
}

void FieldLink::contentChanged() {
    if (m_loading)
        return;
    // Marked first: the edit it starts makes the table report a change of state, which
    // must not reload over what the user has just typed.
    m_modified = true;
    ErrorReport::run([this] { m_source->edit(); });
}

bool FieldLink::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && m_stale)
        load();
    return QObject::eventFilter(watched, event);
}

void FieldLink::load() {
    TTable* table = m_source->DataSet();
    if (m_modified && table->state() != TTable::Browse)
        return;
    m_modified = false;
    m_stale = !m_control->isVisible();
    if (m_stale)
        return;
    const QString value = table->Fields(m_field).AsString();
    if (value == m_text())
        return;
    m_loading = true;
    m_setText(value);
    m_loading = false;
}

void FieldLink::store() {
    if (m_modified)
        m_source->DataSet()->Fields(m_field).setAsString(m_text());
}

DBEdit::DBEdit(TDataSource* source, int field, QWidget* parent)
    : QLineEdit(parent) {
    auto* link = new FieldLink(
        source, field, this, [this] { return text(); },
        [this](const QString& value) { setText(value); });
    connect(this, &QLineEdit::textChanged, link, &FieldLink::contentChanged);
}

DBMemo::DBMemo(TDataSource* source, int field, QWidget* parent)
    : QPlainTextEdit(parent) {
    auto* link = new FieldLink(
        source, field, this, [this] { return toPlainText(); },
        [this](const QString& value) { setPlainText(value); });
    connect(this, &QPlainTextEdit::textChanged, link, &FieldLink::contentChanged);
}
