#include "store/Collation.h"

#include <algorithm>
#include <unicode/ucol.h>

struct Collation::System {
    std::unique_ptr<UCollator, void (*)(UCollator*)> collator{nullptr, ucol_close};
};

Collation::Collation(const QLocale& locale)
    : m_name(locale.language() == QLocale::C ? QString() : locale.bcp47Name().replace('-', '_')) {
    if (m_name.isEmpty())
        return;
    UErrorCode status = U_ZERO_ERROR;
    auto system = std::make_unique<System>();
    system->collator.reset(ucol_open(m_name.toLatin1().constData(), &status));
    // As QCollator sets it up with letter case ignored.
    UCollator* collator = system->collator.get();
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_SUCCESS(status))
        m_system = std::move(system);
}

Collation::~Collation() = default;

void Collation::appendKey(QStringView text, std::string& key) const {
    if (!m_system)
        return appendFoldedKey(text, key);
    const size_t start = key.size();
    for (auto room = int32_t(16 + 4 * text.size());;) {
        key.resize(start + size_t(room));
        const int32_t length =
            ucol_getSortKey(m_system->collator.get(), text.utf16(), int32_t(text.size()),
                            reinterpret_cast<uint8_t*>(key.data() + start), room);
        if (length <= room) {
            key.resize(start + size_t(std::max(length, 1) - 1)); // without the closing zero
            return;
        }
        room = length;
    }
}

int Collation::compare(QStringView a, QStringView b) const {
    if (!m_system)
        return compareFolded(a, b);
    return ucol_strcoll(m_system->collator.get(), a.utf16(), int32_t(a.size()), b.utf16(),
                        int32_t(b.size()));
}
