#pragma once

#include <QList>
#include <QString>

class QWidget;

// The program's message boxes: a caption, a text, no icon; OK alone, or OK and Cancel
// with OK the default; closing a question box counts as Cancel. Tests switch on the test
// mode: no box is shown, each call is recorded and each ask() is answered from the queue
// (OK when the queue is empty). Switching the mode empties the queue and the record.
class MessageBox final {
public:
    enum Answer { Ok, Cancel };
    struct Shown {
        QString caption;
        QString text;
        bool question;
    };

    MessageBox() = delete;

    static void inform(QWidget* parent, const QString& caption, const QString& text);
    static Answer ask(QWidget* parent, const QString& caption, const QString& text);

    static void setTestMode(bool on);
    static void setNextAnswer(Answer answer);
    static QList<Shown> shown();
    static void clearShown();
};
