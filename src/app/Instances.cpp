#include "app/Instances.h"

#include "about/TForm_About.h"
#include "editor/TForm_Edit.h"
#include "main_window/TForm_Main.h"
#include "reminders/TForm_Remainder.h"
#include "store/TDataModule_Main.h"

TForm_Main* Form_Main = nullptr;
TDataModule_Main* DataModule_Main = nullptr;
TForm_Edit* Form_Edit = nullptr;
TForm_Remainder* Form_Remainder = nullptr;
TForm_About* Form_About = nullptr;

namespace {

template <class T> void destroyOne(T*& instance) {
    delete instance;
    instance = nullptr;
}

} // namespace

void Instances::createMainWindow() {
    Form_Main = new TForm_Main;
}

// Made before anything can fail, so that destroy() also ends a module whose file would not
// open.
void Instances::createDataModule() {
    DataModule_Main = new TDataModule_Main;
}

void Instances::openDataModule(const QString& connectionString) {
    DataModule_Main->Connection.setConnectionString(connectionString);
    DataModule_Main->Connection.Open();
    DataModule_Main->Table_Main.Open();
    DataModule_Main->Table_Main.rankTitles();
}

void Instances::createDialogs() {
    Form_Edit = new TForm_Edit(&DataModule_Main->DataSource, Form_Main);
    Form_Remainder = new TForm_Remainder(&DataModule_Main->DataSource, Form_Main);
    Form_About = new TForm_About(Form_Main);
    Form_Main->bind(&DataModule_Main->Table_Main, Form_Edit, Form_Remainder, Form_About);
}

void Instances::createAll(const QString& connectionString) {
    createMainWindow();
    createDataModule();
    openDataModule(connectionString);
    createDialogs();
}

void Instances::destroy() {
    destroyOne(Form_About);
    destroyOne(Form_Remainder);
    destroyOne(Form_Edit);
    destroyOne(Form_Main);
    destroyOne(DataModule_Main);
}
