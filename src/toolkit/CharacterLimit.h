#pragma once

#include <QValidator>

// Keeps a line edit's text within a number of characters counted as code points, as the
// database counts them (QLineEdit's maxLength counts UTF-16 units, so an emoji would
// count twice and could be cut in half). What goes past the limit is dropped from the
// text just typed or pasted, which ends at the cursor, as maxLength drops it; a surrogate
// pair is kept or dropped whole.
class CharacterLimit final : public QValidator {
public:
    explicit CharacterLimit(int limit, QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

    // The number of code points in text; a lone surrogate counts as one.
    static int count(const QString& text);

private:
    int m_limit;
};
