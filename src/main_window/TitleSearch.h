#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <memory>

class TTable;

// The search rule: a title matches when, both trimmed of surrounding spaces and
// upper-cased the locale's way, the title contains the search text. A search text of
// spaces only matches nothing.
class TitleMatcher final {
public:
    explicit TitleMatcher(const QString& searchText, const QLocale& locale = QLocale());
    ~TitleMatcher();

    bool matches(QStringView title) const;
    // The same for a title in UTF-8, as the task table keeps it.
    bool matches(QByteArrayView title) const;

private:
    struct UpperCase;

    bool matchesWholeText(QStringView title) const;

    QLocale m_locale;
    QString m_needle; // trimmed and upper-cased
    std::shared_ptr<const UpperCase> m_upper;
};

// The position (1-based, in the current order) of the first task whose title matches,
// looking from start to the last position and then from the first up to start - 1, each
// task once; 0 when none does. Reads the titles in place: the current record stays.
int findTitle(const TTable& table, const TitleMatcher& matcher, int start);
