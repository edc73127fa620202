#pragma once

#include <QObject>

class TTable;

// Binds views to Table_Main: a bound control's first change calls Edit on the table
// (through edit()).
class TDataSource final : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(TTable* table, QObject* parent = nullptr);

    TTable* DataSet() const { return m_table; }
    // A bound control's content was changed by the user: puts the table into editing
    // (when the table is browsing).
    void edit();

private:
    TTable* m_table;
};
