#pragma once

#include <QList>

#include <memory>
#include <vector>

class Collation;
class RowStore;

// The order that IndexFieldNames names: the listed fields ascending, then ID, so rows with
// equal values keep their stored order. No fields: the stored order, by ID. Titles and
// comments follow the user's locale, ignoring case; an empty date sorts first; an empty
// Completed sorts as false.
//
// Titles are put in order once by their sort keys (Collation::appendKey), made for every
// title and dropped again once each row holds its title's rank; later sorts by title
// compare ranks, and place the few titles read or written since (which have none) among
// them by comparing the texts, each with a few of its neighbours.
class RowOrder final {
public:
    explicit RowOrder(QList<int> fields = {});

    bool less(const RowStore& rows, int a, int b) const;
    // Puts rows[positions[...]] into this order; by title, it ranks the titles anew.
    void sort(std::vector<int>& positions, RowStore& rows) const;
    // Puts rows[positions[...]] in title order by their keys and ranks them, so that the
    // next sort by title only compares ranks. It costs about a microsecond a title:
    // start-up does it while the splash stands, off the window's thread.
    void rankTitles(std::vector<int>& positions, RowStore& rows) const;
    // Whether every one of rows[positions[...]] has a rank this order can compare.
    bool ranksAll(const std::vector<int>& positions, const RowStore& rows) const;

private:
    int compareTitles(const RowStore& rows, int a, int b) const;
    int compareField(int field, const RowStore& rows, int a, int b) const;
    bool ranked(const RowStore& rows, int row) const;
    void sortByTitle(std::vector<int>& positions, RowStore& rows) const;

    QList<int> m_fields;
    std::shared_ptr<const Collation> m_collation;
};
