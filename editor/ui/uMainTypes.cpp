// The main window's commands for new documents, the type list, help and the
// about box.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUrl>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "RecordText.h"
#include "frmAbout.h"
#include "uDialogPrompts.h"
#include "uEditTypes.h"
#include "uHelpFile.h"
#include "uMain.h"
#include "uNew.h"
#include "uNewDocument.h"
#include "uParticleMan.h"
#include "uPlatform.h"
#include "uPreferences.h"
#include "uRender.h"
#include "uScriptSync.h"
#include "uWindowSystem.h"

void TfrmMain::CreateNewDialog()
{
    frmNew = new TfrmNew(this);
    frmNew->setObjectName(QStringLiteral("frmNew"));
}

void TfrmMain::FillNewList()
{
    frmNew->ListBox1()->clear();
    for (int i = 0; i < Managers.Count(); ++i)
        frmNew->AddManagerLine(Managers[i].title, Managers[i].fileName);
}

void TfrmMain::RefillTypeCombo(bool warnMainType)
{
    TypeCombo->setEnabled(false);
    TypeCombo->clear();
    TypeCombo->addItem(QStringLiteral("<GLOBAL>"));
    TypeCombo->setCurrentIndex(0);
    const std::string_view mainTypeText = RecordText(DocumentRecord.maintype);
    const QString mainType = QString::fromLatin1(mainTypeText.data(), static_cast<int>(mainTypeText.size()));
    bool mainFound = false;
    for (int i = 0; i < UsedTypeCount(DocumentRecord); ++i) {
        const std::string_view name = RecordText(DocumentRecord.types[i].name);
        const QString text = QString::fromLatin1(name.data(), static_cast<int>(name.size()));
        TypeCombo->addItem(text);
        mainFound |= text.compare(mainType, Qt::CaseInsensitive) == 0;
    }
    TypeCombo->setEnabled(true);
    if (warnMainType && !mainFound)
        ShowMessageBox(this, QStringLiteral("Main type not defined!"), QStringLiteral("Warning"),
                       TMsgIcon::Warning);
}

void TfrmMain::acNewExecute()
{
    // Without a manager nothing can be created: say so before asking anything.
    if (Managers.Count() <= 0) {
        ShowMessageBox(this,
                       QStringLiteral("No particle manager plug-in is loaded, so no new particles "
                                      "can be created.\r\nPut a manager library (emb*Man") +
                           ModuleSuffix() + QStringLiteral(") beside the program."),
                       QString(), TMsgIcon::Warning);
        return;
    }
    if (!MayLeaveDocument())
        return;
    if (ExecDialog(frmNew) != QDialog::Accepted)
        return;
    NewDocument(frmNew->SelectedIndex());
}

bool TfrmMain::NewDocument(int managerIndex)
{
    if (!Managers.Valid(managerIndex)) {
        ShowMessageBox(this, QStringLiteral("Select a particle type to create."), QString(),
                       TMsgIcon::Warning);
        return false;
    }
    const TParticleManager &manager = Managers[managerIndex];
    const NewDocumentExports exports{manager.GetDefaults, manager.NewParticles, manager.SaveMemoryFile};
    if (!exports.Complete()) {
        ShowMessageBox(this,
                       QStringLiteral("Failed to create new particles.\r\nManager: ") + manager.fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return false;
    }

    CurrentManager = managerIndex;
    NoteDocumentReplaced();
    DocumentPath.clear();
    DocumentName = QStringLiteral("NewParticle");
    SetDocumentCaption();

    CreateNewRecord(exports, QFile::encodeName(ProgramSettings.DefaultSpr).toStdString(), DocumentRecord,
                    DefaultsRecord);
    Renderers.UpdateParticles(&DocumentRecord);
    RefillTypeCombo(true);
    FillInspector(0);

    // The same writer as the Script tab's, so the two never differ in what
    // they show for one record.
    const std::optional<std::string> text = GenerateScriptText(manager.SaveMemoryFile,
                                                               ScriptHeaderBytes(DocumentRecord).c_str(),
                                                               DocumentRecord);
    if (!text) {
        ShowMessageBox(this,
                       QStringLiteral("Failed to save particles to memory.\r\nManager: ") + manager.fileName,
                       QStringLiteral("Error"), TMsgIcon::Warning);
        return false;
    }
    const std::string pane = ToPaneText(*text);
    const QString script = LinesFromBytes(pane);
    ScriptBackup = TextLines(script);
    SetScriptText(script);
    SetEditControlsEnabled(true);
    lblScriptManager->setText(manager.title);
    RecordModified = false;
    DocumentReady = true;
    Doc.StartHistory();
    WatchDocumentFile();  // a new document has no file yet
    DrawFirstFrame();
    return true;
}

void TfrmMain::acEditTypesExecute()
{
    // Typed script text first becomes part of the record the dialog edits;
    // text the manager rejects must be mended first, not lost.
    if (!CommitPaneEdits())
        return;
    bool confirmed = false;
    ChangeDocument(QStringLiteral("Edit Types"), [&](ParticleSystem &record) {
        confirmed = ExecuteEditTypes(this, record, DefaultsRecord);
    });
    if (!confirmed)
        return;
    RefillTypeCombo(false);
    Renderers.UpdateTypes();
    FillInspector(0);
}

void TfrmMain::acHelpTopicsExecute()
{
    const HelpFileChoice help = ChooseHelpFile(QFile::encodeName(ProgramDirectory()).toStdString());
    if (help.kind == HelpFileKind::None) {
        ShowMessageBox(this, QString::fromLatin1(kNoHelpMessage), ApplicationTitle(), TMsgIcon::Warning);
        return;
    }
    if (!Prompts::OpenUrl(QUrl::fromLocalFile(QFile::decodeName(help.path.c_str()))))
        ShowMessageBox(this, QFile::decodeName(HelpFileNotOpenedMessage(help.path).c_str()),
                       ApplicationTitle(), TMsgIcon::Warning);
}

void TfrmMain::acWebSiteExecute()
{
    Prompts::OpenUrl(QUrl(QString::fromLatin1(Contacts::kWebSite)));
}

void TfrmMain::acHelpAboutExecute()
{
    // No frame is drawn while the box is up: draw one now, so that the
    // viewport does not keep what the closed menu covered.
    SyncWindowSystem();
    Renderers.UpdateDevice();
    RunAboutBox(this, FrameTimer);
}
