#include "toolkit/CharacterLimit.h"

#include <algorithm>

namespace {

bool pairEndsAt(const QString& text, qsizetype end) {
    return end >= 2 && text[end - 1].isLowSurrogate() && text[end - 2].isHighSurrogate();
}

bool pairStartsAt(const QString& text, qsizetype at) {
    return at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate();
}

// Where the character before end begins, and where the one at `at` ends.
qsizetype previousCharacter(const QString& text, qsizetype end) {
    return end - (pairEndsAt(text, end) ? 2 : 1);
}
qsizetype nextCharacter(const QString& text, qsizetype at) {
    return at + (pairStartsAt(text, at) ? 2 : 1);
}

// The UTF-16 length of the first count characters.
qsizetype lengthOf(const QString& text, int count) {
    qsizetype at = 0;
    for (; count > 0 && at < text.size(); --count)
        at = nextCharacter(text, at);
    return at;
}

} // namespace

CharacterLimit::CharacterLimit(int limit, QObject* parent)
    : QValidator(parent)
    , m_limit(limit) {}

int CharacterLimit::count(const QString& text) {
    int characters = 0;
    for (qsizetype at = 0; at < text.size(); ++characters)
        at = nextCharacter(text, at);
    return characters;
}

QValidator::State CharacterLimit::validate(QString& input, int& pos) const {
    int excess = count(input) - m_limit;
    if (excess <= 0)
        return Acceptable;
    qsizetype start = std::clamp<qsizetype>(pos, 0, input.size());
    const qsizetype end = start;
    for (; excess > 0 && start > 0; --excess)
        start = previousCharacter(input, start);
    input.remove(start, end - start);
    pos = int(start);
    // A cursor too near the start to take the excess from before it: the end goes.
    if (excess > 0) {
        input.truncate(lengthOf(input, m_limit));
        pos = int(std::min<qsizetype>(pos, input.size()));
    }
    return Acceptable;
}
