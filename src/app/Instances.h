#pragma once

// The program's windows and data module, each created once by start-up and reached
// through these pointers until the process ends.
class TForm_Main;
class TDataModule_Main;
class TForm_Edit;
class TForm_Remainder;
class TForm_About;

extern TForm_Main* Form_Main;
extern TDataModule_Main* DataModule_Main;
extern TForm_Edit* Form_Edit;
extern TForm_Remainder* Form_Remainder;
extern TForm_About* Form_About;
