#include "app/Instances.h"

TForm_Main* Form_Main = nullptr;
TDataModule_Main* DataModule_Main = nullptr;
TForm_Edit* Form_Edit = nullptr;
TForm_Remainder* Form_Remainder = nullptr;
TForm_About* Form_About = nullptr;
