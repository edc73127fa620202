#include "toolkit/Error.h"

#include <utility>

TarvikError::TarvikError(QString text)
    : m_text(std::move(text))
    , m_utf8(m_text.toUtf8()) {}
