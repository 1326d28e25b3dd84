// The main window's inspector and script-pane handlers: thin glue between the
// widgets and the row model, the key table and the script sync.
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>
#include <memory>

#include "uPropertyEdit.h"
#include "uPropertyRows.h"
#include "uMain.h"
#include "uPropertyGrid.h"
#include "uParticleMan.h"
#include "uPreferences.h"
#include "uRender.h"
#include "uScriptEditorMenu.h"
#include "uScriptSync.h"

namespace {

// The renderer host's forwarders, which do nothing without an open device.
class HostRenderer : public RendererCalls {
public:
    explicit HostRenderer(TRendererHost &host) : host_(host) {}
    void ReallocParticles() override { host_.ReallocParticles(); }
    void RelinkTypes() override { host_.RelinkTypes(); }
    void UpdateTextures() override { host_.UpdateTextures(); }
    void UpdateRendermode() override { host_.UpdateRendermode(); }
    void UpdateParticles(const ParticleSystem *record) override { host_.UpdateParticles(record); }

private:
    TRendererHost &host_;
};

TMsgIcon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return TMsgIcon::Information;
    case MessageIcon::Warning: return TMsgIcon::Warning;
    case MessageIcon::Critical: return TMsgIcon::Error;
    }
    return TMsgIcon::None;
}

class MainScriptView : public ScriptPaneView {
public:
    explicit MainScriptView(TfrmMain &w) : w_(w) {}

    std::string PaneText() const override { return Latin1(w_.ScriptEditor->toPlainText()); }
    void SetPaneText(const std::string &text) override { w_.ScriptEditor->setPlainText(Latin1(text)); }
    void FillTypeList(const std::vector<std::string> &names) override
    {
        QComboBox *combo = w_.TypeCombo;
        combo->setEnabled(false);
        combo->clear();
        combo->addItem(QString::fromLatin1(kGlobalEntry));
        combo->setCurrentIndex(0);
        for (const std::string &name : names)
            combo->addItem(Latin1(name));
        combo->setEnabled(true);
    }
    void FillInspector(int page) override { w_.FillInspector(page); }
    void SetManagerTitle(const std::string &title) override { w_.lblScriptManager->setText(Latin1(title)); }
    void ShowMessage(const std::string &caption, const std::string &text, MessageIcon icon) override
    {
        ShowMessageBox(&w_, Latin1(text), Latin1(caption), BoxIcon(icon));
    }
    std::string ScriptBackupText() const override
    {
        return Latin1(LinesText(w_.ScriptBackup, QStringLiteral("\r\n")));
    }
    void SetScriptBackup(const std::string &text) override { w_.ScriptBackup = TextLines(Latin1(text)); }

private:
    TfrmMain &w_;
};

ScriptManager CurrentScriptManager(const TManagerHost &Managers, int index)
{
    ScriptManager m;
    if (!Managers.Valid(index))
        return m;
    const TParticleManager &slot = Managers[index];
    m.saveMemoryFile = slot.SaveMemoryFile;
    m.loadMemoryFile = slot.LoadMemoryFile;
    m.getDefaults = slot.GetDefaults;
    m.fileName = Latin1(slot.fileName);
    m.title = Latin1(slot.title);
    return m;
}

UserParmNames CurrentUserParmNames(const TManagerHost &Managers, int index)
{
    if (!Managers.Valid(index))
        return {};
    return UserParmNamesFromBuffers(Managers[index].userParmNames);
}

// One sync over the window's own state, for the length of one handler.
template <typename F>
auto WithScriptSync(TfrmMain &w, F &&work)
{
    HostRenderer renderer(w.Renderers);
    MainScriptView view(w);
    const ScriptManager manager = CurrentScriptManager(w.Managers, w.CurrentManager);
    ScriptSync sync({w.RecordModified, w.ScriptModified, w.DocumentReady}, w.DocumentRecord,
                    w.DefaultsRecord, view, renderer);
    if (w.Managers.Valid(w.CurrentManager))
        sync.SetManager(&manager);
    sync.SetHeaderSource([] { return Latin1(ProgramSettings.Headinsert); });
    // The sync sets the pane and its flags: the caption follows afterwards.
    struct RefreshAtEnd {
        TfrmMain &w;
        ~RefreshAtEnd() { w.RefreshDocumentState(); }
    } refresh{w};
    return work(sync);
}

// The colour dialog remembers its colour between uses, white at first.
QColor &ColourDialogColour()
{
    static QColor colour = Qt::white;
    return colour;
}

}  // namespace

void TfrmMain::CreateInspectorWidgets()
{
    InspectorGrid = new TObjectInspector(ObjectInspector);
    InspectorGrid->setProperty("hint", QStringLiteral("Object Inspector"));
    InspectorGrid->setToolTip(QStringLiteral("Object Inspector"));
    InspectorGrid->setStatusTip(QStringLiteral("Object Inspector"));
    ObjectInspector->layout()->addWidget(InspectorGrid);
    connect(InspectorGrid, &TObjectInspector::Validate, this,
            [this](int column, int row, const QString &key, const QString &value) {
                ObjectInspectorValidate(column, row, key, value);
            });
    connect(InspectorGrid, &TObjectInspector::EditButtonClick, this,
            [this](int row) { ObjectInspectorEditButtonClick(row); });
    InstallScriptEditorMenu(ScriptEditor);
}

void TfrmMain::FillInspector(int page)
{
    ObjectInspector->setEnabled(false);
    InspectorGrid->ClearRows();
    InspectorGrid->SetRows(BuildInspectorPage(DocumentRecord, page, CurrentUserParmNames(Managers, CurrentManager),
                                              InspectorDecimalSeparator()));
    ObjectInspector->setEnabled(true);
}

void TfrmMain::TypeComboChange(int index)
{
    FillInspector(index);
}

void TfrmMain::ObjectInspectorValidate(int, int, const QString &key, const QString &value)
{
    HostRenderer renderer(Renderers);
    const UserParmNames names = CurrentUserParmNames(Managers, CurrentManager);
    const std::string separator = InspectorDecimalSeparator();
    const int page = TypeCombo->currentIndex();
    EditResult result;
    // The row's label names the step: "Undo Gravity".
    ChangeDocument(key, [&](ParticleSystem &record) {
        InspectorEditContext ctx{record, names, separator, renderer, RecordModified, DocumentReady};
        result = ValidateInspectorEdit(ctx, page, Latin1(key), Latin1(value),
                                       [this](std::string_view rowKey) {
                                           return Latin1(InspectorGrid->Value(Latin1(std::string(rowKey))));
                                       });
    });
    switch (result.outcome) {
    case EditOutcome::UnknownKey:
        ShowMessageBox(this, Latin1(result.message), QString(), TMsgIcon::Warning);
        break;
    case EditOutcome::Refused:
        ShowMessageBox(this, Latin1(result.message), QString(), TMsgIcon::Error);
        break;
    case EditOutcome::Ignored:
    case EditOutcome::Applied:
        break;
    }
    if (result.typeEntryText && page >= 0 && page < TypeCombo->count()) {
        TypeCombo->setItemText(page, Latin1(*result.typeEntryText));
        TypeCombo->setCurrentIndex(page);
    }
}

void TfrmMain::ObjectInspectorEditButtonClick(int row)
{
    const InspectorRow *info = InspectorGrid->RowInfo(row);
    if (!info)
        return;
    const int page = TypeCombo->currentIndex();
    HostRenderer renderer(Renderers);

    if (info->picker == RowPicker::Sprite) {
        QFileDialog dialog(this, QStringLiteral("Browse for Sprite"), SpriteFolder);
        dialog.setObjectName(QStringLiteral("OpenDialog2"));
        dialog.setNameFilters({QStringLiteral("Sprites (*.spr)"), QStringLiteral("All files (*.*)")});
        dialog.setDefaultSuffix(QStringLiteral("spr"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (ExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        const std::string chosen = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
        const std::optional<std::string> path = SpritePathForFile(chosen);
        if (!path) {
            const std::size_t slash = chosen.find_last_of("/\\");
            const std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
            ShowMessageBox(this, Latin1(SpritePathTooLongMessage("sprites/" + name)), QString(),
                           TMsgIcon::Warning);
            return;
        }
        InspectorGrid->SetValue(row, Latin1(*path));
        ChangeDocument(QString::fromLatin1(info->key),
                       [&](ParticleSystem &record) { ApplySpriteChoice(record, page, *path, renderer); });
        return;
    }

    if (info->picker == RowPicker::Colour) {
        if (const auto preset = ColourPickerPreset(DocumentRecord, page, info->key))
            ColourDialogColour() = QColor(preset->red, preset->green, preset->blue);
        QColorDialog dialog(ColourDialogColour(), this);
        dialog.setObjectName(QStringLiteral("ColorDialog1"));
        if (ExecDialog(&dialog) != QDialog::Accepted)
            return;
        const QColor picked = dialog.currentColor();
        ColourDialogColour() = picked;
        const ColourBytes bytes{static_cast<uint8_t>(picked.red()), static_cast<uint8_t>(picked.green()),
                                static_cast<uint8_t>(picked.blue())};
        InspectorGrid->SetValue(row, Latin1(PickedColourText(bytes, InspectorDecimalSeparator())));
        const bool start = info->key == InspectorKey::kStartColor1 || info->key == InspectorKey::kStartColor2;
        const QString first = InspectorGrid->Value(QString::fromLatin1(start ? InspectorKey::kStartColor1
                                                                               : InspectorKey::kEndColor1));
        const QString second = InspectorGrid->Value(QString::fromLatin1(start ? InspectorKey::kStartColor2
                                                                                : InspectorKey::kEndColor2));
        std::optional<std::string> error;
        ChangeDocument(QString::fromLatin1(info->key), [&](ParticleSystem &record) {
            error = ApplyColourRows(record, page, start, Latin1(first), Latin1(second),
                                    InspectorDecimalSeparator());
        });
        if (error)
            ShowMessageBox(this, Latin1(*error), QString(), TMsgIcon::Error);
    }
}

void TfrmMain::RefreshAfterLoad()
{
    WithScriptSync(*this, [](ScriptSync &sync) { sync.RefreshAfterLoad(); });
}

void TfrmMain::RegenerateScript()
{
    WithScriptSync(*this, [](ScriptSync &sync) { return sync.RegenerateScript(); });
}

bool TfrmMain::ApplyScript(const QString &stepName)
{
    // The sync refills the views from the record it read: nothing else to follow.
    const std::unique_ptr<ParticleSystem> before = std::make_unique<ParticleSystem>(DocumentRecord);
    const bool applied = WithScriptSync(*this, [](ScriptSync &sync) { return sync.ApplyScript(); });
    Doc.CommitChange(stepName.toStdString(), *before);
    return applied;
}

bool TfrmMain::PaneEditable() const
{
    return ScriptEditor->isEnabled();
}

bool TfrmMain::CommitPaneEdits()
{
    if (ScriptModified && PaneEditable())
        return ApplyScript(QStringLiteral("Script Edit"));
    return true;
}

bool TfrmMain::ChangeDocument(const QString &stepName, const std::function<void(ParticleSystem &)> &edit)
{
    if (!Doc.Change(stepName.toStdString(), edit))
        return false;
    ShowChangedRecordInPane();
    return true;
}

void TfrmMain::ShowChangedRecordInPane()
{
    // A pane in view is rewritten at once, so that it never shows (and Save
    // never applies) a text older than the record; a hidden one on showing.
    if (Tabs->currentIndex() == kScriptTab && PaneEditable() && !ScriptModified)
        RegenerateScript();
    else
        RecordModified = true;
}

bool TfrmMain::StepHistory(bool forward)
{
    // Typed text becomes a step first: undo then takes back the typing
    // instead of dropping it. Text the manager rejects stays in the pane, and
    // nothing is undone over it.
    if (!CommitPaneEdits())
        return false;
    StepEffect effect;
    if (!(forward ? Doc.Redo(&effect) : Doc.Undo(&effect)))
        return false;
    ShowRestoredRecord(effect.typesChanged);
    statusBar()->showMessage((forward ? QStringLiteral("Redone: ") : QStringLiteral("Undone: ")) +
                                 QString::fromStdString(effect.name),
                             kStatusNoteTime);
    return true;
}

void TfrmMain::ShowRestoredRecord(bool typesChanged)
{
    if (typesChanged)
        Renderers.UpdateTypes();
    Renderers.UpdateParticles(&DocumentRecord);
    const int page = TypeCombo->currentIndex();
    RefillTypeCombo(false);
    TypeCombo->setCurrentIndex(page >= 0 && page < TypeCombo->count() ? page : 0);
    FillInspector(TypeCombo->currentIndex());
    RecordModified = false;
    if (PaneEditable())
        RegenerateScript();
    DocumentReady = true;
}

void TfrmMain::TabChanged(int index)
{
    if (ScriptModified) {
        // Leaving the pane applies the typed text, as a step of its own;
        // coming back to text the manager rejected keeps it as typed.
        if (index == kPropertiesTab)
            CommitPaneEdits();
        return;
    }
    WithScriptSync(*this, [index](ScriptSync &sync) { sync.TabChanged(index); });
}

void TfrmMain::ScriptEditorChange()
{
    ScriptModified = true;
    RefreshDocumentState();
}

void TfrmMain::btnUpdateClick()
{
    ApplyScript(QStringLiteral("Update"));
}

void TfrmMain::btnRevertClick()
{
    // Revert puts the last loaded, saved or applied text back and applies
    // it: one step, so the edits it takes back can be had again by Undo.
    const std::unique_ptr<ParticleSystem> before = std::make_unique<ParticleSystem>(DocumentRecord);
    WithScriptSync(*this, [](ScriptSync &sync) {
        sync.Revert();
        sync.ApplyScript();
    });
    Doc.CommitChange("Revert", *before);
}
