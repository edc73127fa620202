#include "toolkit/MaskEdit.h"

#include "toolkit/Error.h"

#include <QMouseEvent>
#include <QSignalBlocker>

namespace {

const QChar blankShown = QLatin1Char('_');
const QChar blankRead = QLatin1Char(' ');

// Optional digit positions, "_" for a blank one.
QString inputMaskFor(int digits) {
    return QString(digits, QLatin1Char('0')) + QStringLiteral(";_");
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The fixed-width form: digits stay where they are, anything else is a blank; the digits
// are aligned to the right, so a short text gets leading blanks and a long one loses its
// leftmost characters.
QString fixedWidth(const QString& text, int digits) {
    QString result;
    for (QChar c : text)
        result += isAsciiDigit(c) ? c : blankRead;
    if (result.size() < digits)
        result.prepend(QString(digits - result.size(), blankRead));
    return result.right(digits);
}

} // namespace

MaskEdit::MaskEdit(int digits, QWidget* parent)
    : QLineEdit(parent)
    , m_digits(digits)
    , m_last(digits, blankRead) {
    setInputMask(inputMaskFor(digits));
    connect(this, &QLineEdit::textChanged, this, &MaskEdit::publishChange);
}

void MaskEdit::setDigits(int digits) {
    if (digits == m_digits)
        return;
    const QString kept = fixedWidth(text(), digits);
    {
        // The mask change alone leaves the old digits left-aligned; only the final text
        // is announced.
        const QSignalBlocker blocker(this);
        setInputMask(inputMaskFor(digits));
    }
    m_digits = digits;
    setText(kept);
}

QString MaskEdit::text() const {
    QString shown = displayText();
    return shown.replace(blankShown, blankRead);
}

void MaskEdit::setText(const QString& text) {
    QLineEdit::setText(fixedWidth(text, m_digits).replace(blankRead, blankShown));
    // textChanged has announced it already, unless signals were blocked: then this keeps
    // the last announced text in step with what is shown.
    publishChange();
}

int MaskEdit::value(bool* ok) const {
    const QString number = text().trimmed();
    const bool whole = !number.isEmpty() && !number.contains(blankRead);
    if (ok)
        *ok = whole;
    return whole ? number.toInt() : 0;
}

int MaskEdit::wholeNumber() const {
    bool ok = false;
    const int number = value(&ok);
    if (!ok)
        throw TarvikError(QStringLiteral("'%1' не является правильным целым числом").arg(text()));
    return number;
}

void MaskEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void MaskEdit::publishChange() {
    const QString current = text();
    if (current == m_last)
        return;
    m_last = current;
    emit changed();
}
