#include "app/Instances.h"

#include "about/TForm_About.h"
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "reminders/TForm_Remainder.h"
#include "store/TDataModule_Main.h"
#include "toolkit/Guarded.h"

TForm_Main* Form_Main = nullptr;
TDataModule_Main* DataModule_Main = nullptr;
TForm_Edit* Form_Edit = nullptr;
TForm_Remainder* Form_Remainder = nullptr;
TForm_About* Form_About = nullptr;

void Instances::createDialogs() {
    Form_Edit = new TForm_Edit(&DataModule_Main->DataSource, Form_Main);
    QObject::connect(Form_Edit, &TForm_Edit::closed, Form_Main,
                     guarded(Form_Main, &TForm_Main::Form_EditClosed));
    Form_Remainder = new TForm_Remainder(&DataModule_Main->DataSource, Form_Main);
    QObject::connect(Form_Remainder, &TForm_Remainder::closed, Form_Main,
                     guarded(Form_Main, &TForm_Main::Form_RemainderClosed));
    Form_About = new TForm_About(Form_Main);
}
