// The main window's commands for new documents, the type list, help and the
// about box. Not built yet: the actions exist and do nothing.
#include "uMain.h"

void TfrmMain::CreateNewDialog()
{
}

void TfrmMain::FillNewList()
{
}

void TfrmMain::acNewExecute()
{
}

void TfrmMain::acEditTypesExecute()
{
}

void TfrmMain::Action1Execute()
{
}

void TfrmMain::Action2Execute()
{
}

void TfrmMain::acHelpAboutExecute()
{
}
