#pragma once

#include "store/Record.h"
#include "store/TitleCollation.h"

#include <QList>

#include <memory>
#include <vector>

class TextOrderMemo;

// The order that IndexFieldNames names: the listed fields ascending, then ID, so rows with
// equal values keep their stored order. No fields: the stored order, by ID. Titles and
// comments follow the user's locale, ignoring case; an empty date sorts first; an empty
// Completed sorts as false.
class RowOrder final {
public:
    explicit RowOrder(QList<int> fields = {});
    // An order by other fields that keeps what this one remembers of the rows' text order,
    // so that a table sorted by title, then by date, then by title again, makes its title
    // keys once.
    RowOrder withFields(QList<int> fields) const;

    // Starts making the rows' title order on another thread, so that the first sort by
    // title after the rows were read only puts in place the titles changed since.
    void prepare(const std::vector<Record>& rows);

    // The fields that decide the order (besides ID).
    FieldMask fields() const;
    bool less(const Record& a, const Record& b) const;
    // Puts rows[positions[...]] into this order.
    void sort(std::vector<int>& positions, const std::vector<Record>& rows) const;

private:
    int compareField(int field, const Record& a, const Record& b) const;
    int compareText(const QString& a, const QString& b) const;
    void sortByText(std::vector<int>& positions, const std::vector<Record>& rows, int field) const;
    void sortByTextKeys(std::vector<int>& positions, const std::vector<Record>& rows,
                        int field) const;

    QList<int> m_fields;
    // Null in the C locale, which has no collation of its own: case-folded code points then.
    std::shared_ptr<const TitleCollation> m_collation;
    // The rows in the order of their titles at the last sort by a text field, shared by
    // the orders made withFields.
    std::shared_ptr<TextOrderMemo> m_memo;
};
