#include "store/TDataSource.h"

#include "store/TTable.h"

TDataSource::TDataSource(TTable* table, QObject* parent)
    : QObject(parent)
    , m_table(table) {}

void TDataSource::edit() {
    if (m_table->state() == TTable::Browse)
        m_table->Edit();
}
