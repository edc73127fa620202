#include "store/TDataModule_Main.h"

// Closed until start-up gives the connection its string and opens both.
TDataModule_Main::TDataModule_Main()
    : Table_Main(&Connection)
    , DataSource(&Table_Main) {}
