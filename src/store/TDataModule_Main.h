#pragma once

#include "store/TConnection.h"
#include "store/TDataSource.h"
#include "store/TTable.h"

// The data module: the connection, the task table and its data source, created once.
class TDataModule_Main final {
public:
    TDataModule_Main();
    TConnection Connection;
    TTable Table_Main;
    TDataSource DataSource;
};
