#include "toolkit/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

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

// The window manager writes the caption into the title bar, which is as wide as the box:
// the box is made at least as wide as the caption in a bold face, as title bars draw it,
// beside the title bar's icon and buttons.
void fitCaption(QMessageBox& box, const QString& caption) {
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int titleBar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    const int width = QFontMetrics(titleFont).horizontalAdvance(caption) + 4 * titleBar;
    auto* layout = qobject_cast<QGridLayout*>(box.layout());
    if (!layout)
        return;
    layout->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                    layout->rowCount(), 0, 1, layout->columnCount());
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
    fitCaption(box, caption);
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
