#pragma once

#include <QLineEdit>

// A single-line edit with the mask "!99;1;_" (or "!999;1;_"): a fixed number of
// positions, each a digit or blank, shown as "_" while blank. text() always has exactly
// digits() characters, a blank position reads as a space. Typing overwrites; digits
// typed into a field that is not full stay where typed ("7 " or " 7"). Every change of
// the text, typed or set in code, emits changed() once; a mouse click emits clicked().
class MaskEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskEdit(int digits, QWidget* parent = nullptr);

    int digits() const { return m_digits; }
    // Changes the number of positions ("!99" to "!999"), keeping what fits.
    void setDigits(int digits);
    // Hide QLineEdit's own pair, which drops the blanks. setText aligns a short text to
    // the right (" 7" for "7"); anything but a digit becomes a blank.
    QString text() const;
    void setText(const QString& text);
    // The number after leading and trailing blanks are removed; ok false when that is
    // not a whole number (blank between two digits) or empty.
    int value(bool* ok = nullptr) const;
    // The same number; a text that is not one is a conversion failure (TarvikError).
    int wholeNumber() const;

signals:
    void changed();
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Emits changed() when text() differs from the text last announced.
    void publishChange();

    int m_digits;
    QString m_last; // the text last announced by changed()
};
