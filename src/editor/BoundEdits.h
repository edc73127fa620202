#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>

#include <functional>

class TDataSource;

// The link of one control to one field of the current record through a data source. The
// control shows the field's value whenever the current record or its data changes; the
// user's first change puts the record into editing (automatic editing); before Post the
// control's text is written into the field. Cancel drops what was typed, since the field
// then reloads. While the user's change is pending (the record is being edited or
// inserted) the control keeps it whatever the table reports, also when a Post fails.
// A hidden control loads when it is shown again, so walks over the table cost nothing.
class FieldLink final : public QObject {
public:
    FieldLink(TDataSource* source, int field, QWidget* control, std::function<QString()> text,
              std::function<void(const QString&)> setText);

    // The control's content changed, by the user or by load().
    void contentChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void store();

    TDataSource* m_source;
    int m_field;
    QWidget* m_control;
    std::function<QString()> m_text;
    std::function<void(const QString&)> m_setText;
    bool m_loading = false;
    bool m_modified = false;
    bool m_stale = true;
};

class DBEdit final : public QLineEdit {
    Q_OBJECT
public:
    DBEdit(TDataSource* source, int field, QWidget* parent = nullptr);
};

class DBMemo final : public QPlainTextEdit {
    Q_OBJECT
public:
    DBMemo(TDataSource* source, int field, QWidget* parent = nullptr);
};
