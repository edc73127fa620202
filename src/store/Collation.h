#pragma once

#include <QLocale>
#include <QStringView>

#include <memory>
#include <string>

// Texts in a locale, letter case ignored: on Linux ICU's collator at secondary strength, as
// QCollator orders them; on Windows the system's own collation, the order the Windows
// program's database gave. The C locale has no collation of its own: the case-folded texts'
// code units decide there, as QString::compare compares them. Both calls are const on a
// collation nothing changes once it is set up, and safe from several threads. One source
// file per platform.
class Collation final {
public:
    explicit Collation(const QLocale& locale);
    ~Collation();
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;

    // Appends the sort key of text, whose bytes compare (by memcmp, a key that begins
    // another first) as compare compares the texts.
    void appendKey(QStringView text, std::string& key) const;
    int compare(QStringView a, QStringView b) const;

    const QString& name() const { return m_name; } // empty for the C locale

private:
    // The C locale's order, where no collation is at hand.
    static void appendFoldedKey(QStringView text, std::string& key);
    static int compareFolded(QStringView a, QStringView b);

    struct System;
    QString m_name;
    std::unique_ptr<System> m_system; // none in the C locale, or when the locale is unknown
};
