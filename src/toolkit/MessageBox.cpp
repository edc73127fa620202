#include "toolkit/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

struct TestSeam {
    bool on = false;
    QList<MessageBox::Answer> answers;
    QList<MessageBox::Shown> shown;
};

TestSeam& seam() {
    static TestSeam instance;
    return instance;
}

MessageBox::Answer answerFromSeam(const QString& caption, const QString& text, bool question) {
    TestSeam& s = seam();
    s.shown.append({caption, text, question});
    if (!question || s.answers.isEmpty())
        return MessageBox::Ok;
    return s.answers.takeFirst();
}

MessageBox::Answer execBox(QWidget* parent, const QString& caption, const QString& text,
                           bool question) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    // A task title in the text is shown as typed, never read as markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    if (question)
        box.setEscapeButton(box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole));
    else
        box.setEscapeButton(ok);
    box.exec();
    return box.clickedButton() == ok ? MessageBox::Ok : MessageBox::Cancel;
}

MessageBox::Answer show(QWidget* parent, const QString& caption, const QString& text,
                        bool question) {
    if (seam().on)
        return answerFromSeam(caption, text, question);
    return execBox(parent, caption, text, question);
}

} // namespace

void MessageBox::inform(QWidget* parent, const QString& caption, const QString& text) {
    show(parent, caption, text, false);
}

MessageBox::Answer MessageBox::ask(QWidget* parent, const QString& caption, const QString& text) {
    return show(parent, caption, text, true);
}

void MessageBox::setTestMode(bool on) {
    seam() = TestSeam{on, {}, {}};
}

void MessageBox::setNextAnswer(Answer answer) {
    seam().answers.append(answer);
}

QList<MessageBox::Shown> MessageBox::shown() {
    return seam().shown;
}

void MessageBox::clearShown() {
    seam().shown.clear();
}
