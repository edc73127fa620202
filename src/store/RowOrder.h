#pragma once

#include "store/Record.h"

#include <QList>

#include <memory>
#include <vector>

class Collation;
struct TitleKeys;

// The order that IndexFieldNames names: the listed fields ascending, then ID, so rows with
// equal values keep their stored order. No fields: the stored order, by ID. Titles and
// comments follow the user's locale, ignoring case; an empty date sorts first; an empty
// Completed sorts as false.
class RowOrder final {
public:
    explicit RowOrder(QList<int> fields = {});
    // An order by other fields that keeps the title keys this one has made.
    RowOrder withFields(QList<int> fields) const;

    // Starts making the rows' title keys on another thread; see TitleKeys.
    void prepare(const std::vector<Record>& rows);

    bool less(const Record& a, const Record& b) const;
    // Puts rows[positions[...]] into this order.
    void sort(std::vector<int>& positions, const std::vector<Record>& rows) const;

private:
    int compareField(int field, const Record& a, const Record& b) const;

    QList<int> m_fields;
    std::shared_ptr<const Collation> m_collation;
    std::shared_ptr<TitleKeys> m_titleKeys; // shared by the orders made withFields
};
