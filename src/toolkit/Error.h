#pragma once

#include <QString>

#include <exception>

// A failure that ends the handler it happens in. Every layer throws this (or a
// subclass); the default error report shows text() in a message box.
class TarvikError : public std::exception {
public:
    explicit TarvikError(QString text);
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};
