// The main window's inspector and script-pane handlers: the refresh after a
// load, the script text generated from the record and applied back to it.
// The inspector grid itself is not built here yet: FillInspector shows nothing.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <vector>

#include "uMain.h"
#include "uParticleMan.h"
#include "uPreferences.h"
#include "uRender.h"

void TfrmMain::RefreshAfterLoad()
{
    UpdateParticles(&DocumentRecord);
    const bool haveManager = ManagerValid(CurrentManager);
    if (haveManager)
        ManagerTable[CurrentManager].GetDefaults(&DefaultsRecord);

    TypeCombo->setEnabled(false);
    TypeCombo->clear();
    TypeCombo->addItem(QStringLiteral("<GLOBAL>"));
    TypeCombo->setCurrentIndex(0);
    bool mainFound = false;
    const QString mainType = QString::fromLatin1(
        DocumentRecord.maintype, static_cast<int>(strnlen(DocumentRecord.maintype, kParticleTextSize)));
    for (int i = 0; i < UsedTypeCount(DocumentRecord); ++i) {
        const char *name = DocumentRecord.types[i].name;
        const QString text = QString::fromLatin1(name, static_cast<int>(strnlen(name, kParticleTextSize)));
        TypeCombo->addItem(text);
        mainFound |= text.compare(mainType, Qt::CaseInsensitive) == 0;
    }
    TypeCombo->setEnabled(true);
    if (!mainFound)
        ShowMessageBox(this, QStringLiteral("Main type not defined!"), QStringLiteral("Warning"),
                       TMsgIcon::Warning);
    FillInspector(0);
    if (haveManager)
        Label2->setText(ManagerTable[CurrentManager].title);
    RecordModified = false;
    DocumentReady = true;
}

void TfrmMain::FillInspector(int)
{
}

void TfrmMain::RegenerateScript()
{
    if (!ManagerValid(CurrentManager))
        return;
    const TParticleManager &manager = ManagerTable[CurrentManager];
    std::vector<char> buffer(kScriptMemoryBufferSize, '\0');
    const QByteArray header = ProgramSettings.Headinsert.toLatin1();
    if (!(manager.SaveMemoryFile(buffer.data(), static_cast<int32_t>(buffer.size()), header.constData(),
                                 &DocumentRecord) & 0xFF)) {
        ShowMessageBox(this,
                       QStringLiteral("Failed to save particles to memory.\r\nManager: ") + manager.fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return;
    }
    SetScriptText(QString::fromLatin1(buffer.data(), static_cast<int>(strnlen(buffer.data(), buffer.size())))
                      .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

bool TfrmMain::ApplyScript()
{
    if (!ManagerValid(CurrentManager))
        return false;
    const TParticleManager &manager = ManagerTable[CurrentManager];
    DocumentReady = false;
    ScriptBackup = TextLines(ScriptEditor->toPlainText());
    const QByteArray text = LinesText(ScriptBackup, QStringLiteral("\r\n")).toLatin1();
    if (!(manager.LoadMemoryFile(text.constData(), &DocumentRecord) & 0xFF)) {
        ShowMessageBox(this,
                       QStringLiteral("Failed to load particles from memory.\r\nManager: ") + manager.fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return false;
    }
    RefreshAfterLoad();
    ScriptModified = false;
    DocumentReady = true;
    return true;
}

void TfrmMain::PageControl1Change(int index)
{
    if (index == 1 && RecordModified) {
        RecordModified = false;
        RegenerateScript();
    } else if (index == 0 && ScriptModified) {
        ScriptModified = false;
        ApplyScript();
    }
}

void TfrmMain::TypeComboChange(int index)
{
    FillInspector(index);
}

void TfrmMain::ScriptEditorChange()
{
    ScriptModified = true;
}

void TfrmMain::BitBtn1Click()
{
    ApplyScript();
}

void TfrmMain::BitBtn2Click()
{
    SetScriptText(LinesText(ScriptBackup));
}
