#pragma once

#include <QObject>
#include <QString>

// The desktop's own notification of a reminder, beside its dialog: where the dialog cannot
// come forward by itself (a Wayland desktop keeps a new window behind the active one), the
// notification still reaches the user. One notice at a time, as one dialog at a time.
// The platform's part is one source file per platform: the freedesktop notification service
// on the session bus (Linux), the tray icon's balloon (Windows). A desktop without either
// shows nothing and reports nothing: the dialog alone remains.
class ReminderNotice : public QObject {
    Q_OBJECT
public:
    // What the notice says: the task's title, the reminder's moment as the dialog's caption
    // shows it, and the first line of the description that has any text.
    struct Content {
        qint64 task = 0; // the task's ID: showing one task again replaces its own notice
        QString title;
        QString moment;
        QString descriptionLine;

        static Content of(qint64 task, const QString& title, const QString& moment,
                          const QString& description);
        // The moment, and the description's line below it when there is one.
        QString body() const;
    };

    // The platform's notice.
    static ReminderNotice* create(QObject* parent);

    // Shows the notice until withdraw(), replacing the one shown before.
    virtual void show(const Content& content) = 0;
    // Takes back what show() put up, also when the desktop has not answered it yet.
    virtual void withdraw() = 0;

signals:
    // The user asked for the reminder from its notice. The token, when the desktop gave
    // one, lets the window it activates come forward.
    void activated(const QString& activationToken);

protected:
    using QObject::QObject;
};
