#include "TextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOption>

namespace {

// One text that does not fit: where it is and how much room it lacks.
QString misfit(const QWidget* widget, const QString& text, int needed, int room) {
    return QStringLiteral("%1 \"%2\" in %3: needs %4 px, has %5")
        .arg(widget->metaObject()->className(), text, widget->window()->metaObject()->className())
        .arg(needed)
        .arg(room);
}

int textWidth(const QWidget* widget, const QString& text) {
    return widget->fontMetrics().horizontalAdvance(text);
}

void checkLabel(const QLabel* label, QStringList& misfits) {
    if (label->text().isEmpty())
        return;
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                      -label->margin(), -label->margin());
    const QFontMetrics metrics = label->fontMetrics();
    if (label->wordWrap()) {
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap, label->text());
        for (const QString& word : label->text().split(' '))
            if (textWidth(label, word) > room.width())
                misfits << misfit(label, word, textWidth(label, word), room.width());
        if (needed.height() > room.height())
            misfits << misfit(label, label->text(), needed.height(), room.height());
    } else if (textWidth(label, label->text()) > room.width()) {
        misfits << misfit(label, label->text(), textWidth(label, label->text()), room.width());
    }
    // A label that sized itself to its text may still run past its parent's edge.
    const QWidget* parent = label->parentWidget();
    if (parent && label->geometry().right() >= parent->width())
        misfits << misfit(label, label->text(), label->geometry().right() + 1, parent->width());
}

QStyleOptionButton buttonOption(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    return option;
}

// The style lays the picture and the text side by side with a small gap inside the face.
void checkButton(const QAbstractButton* button, QStringList& misfits) {
    if (button->text().isEmpty())
        return;
    const QStyleOptionButton option = buttonOption(button);
    const bool check = qobject_cast<const QCheckBox*>(button) != nullptr;
    const QRect contents = button->style()->subElementRect(
        check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    const int picture = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    const int needed = textWidth(button, button->text()) + picture;
    if (needed > contents.width())
        misfits << misfit(button, button->text(), needed, contents.width());
}

void checkGroupBox(const QGroupBox* box, QStringList& misfits) {
    if (box->title().isEmpty())
        return;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.textAlignment = box->alignment();
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    if (!box->rect().contains(label))
        misfits << misfit(box, box->title(), label.right() + 1, box->width());
}

void checkHeader(const QHeaderView* header, QStringList& misfits) {
    for (int section = 0; section < header->count(); ++section) {
        const QString title =
            header->model()->headerData(section, header->orientation()).toString();
        // The style's own need: the title and the margins it draws it within.
        const int needed = header->sectionSizeHint(section);
        if (needed > header->sectionSize(section))
            misfits << misfit(header, title, needed, header->sectionSize(section));
    }
}

// The date a picker shows, in its own edit field.
void checkLineEdit(const QLineEdit* edit, QStringList& misfits) {
    const QMargins margins = edit->textMargins();
    const int room = edit->width() - margins.left() - margins.right() - 4;
    if (!edit->text().isEmpty() && edit->parentWidget() &&
        edit->parentWidget()->inherits("QDateEdit") && textWidth(edit, edit->text()) > room)
        misfits << misfit(edit, edit->text(), textWidth(edit, edit->text()), room);
}

} // namespace

QStringList misfitsIn(QWidget* window) {
    QStringList misfits;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (const QWidget* widget : widgets) {
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            checkLabel(label, misfits);
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            checkButton(button, misfits);
        else if (const auto* box = qobject_cast<const QGroupBox*>(widget))
            checkGroupBox(box, misfits);
        else if (const auto* header = qobject_cast<const QHeaderView*>(widget))
            checkHeader(header, misfits);
        else if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
            checkLineEdit(edit, misfits);
    }
    return misfits;
}
