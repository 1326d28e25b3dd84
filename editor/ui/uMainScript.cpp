// The main window's inspector and script-pane handlers: thin glue between the
// widgets and the row model, the key table and the script sync.
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cstring>
#include <memory>

#include "uHostRenderer.h"
#include "uMain.h"
#include "uParticleMan.h"
#include "uPreferences.h"
#include "uPropertyEdit.h"
#include "uPropertyGrid.h"
#include "uPropertyRows.h"
#include "uRender.h"
#include "uScriptEditor.h"
#include "uScriptEditorMenu.h"
#include "uScriptFindings.h"
#include "uScriptProblems.h"
#include "uScriptSync.h"
#include "uSpriteBrowser.h"

namespace {

TMsgIcon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return TMsgIcon::Information;
    case MessageIcon::Warning: return TMsgIcon::Warning;
    case MessageIcon::Critical: return TMsgIcon::Error;
    }
    return TMsgIcon::None;
}

TScriptEditor *Pane(TfrmMain &w)
{
    return static_cast<TScriptEditor *>(w.ScriptEditor);
}

std::string CheckReport(embCheckMemoryFileFn check, const std::string &text)
{
    if (!check)
        return {};
    const int32_t count = check(text.c_str(), nullptr, 0);
    if (count <= 0)
        return {};
    // Each finding takes one line; grow until the report ends inside the buffer.
    for (std::size_t size = 4096 + static_cast<std::size_t>(count) * 160; size <= kMaxScriptTextSize;
         size *= 2) {
        std::vector<char> report(size, '\0');
        check(text.c_str(), report.data(), static_cast<int32_t>(size));
        const std::size_t length = strnlen(report.data(), size);
        if (length + 1 < size)
            return std::string(report.data(), length);
    }
    return {};
}

class MainScriptView : public ScriptPaneView {
public:
    explicit MainScriptView(TfrmMain &w) : w_(w) {}

    // The pane shows each line of the script's bytes as UTF-8 or Latin-1 and
    // gives back the bytes of every line the user left alone.
    std::string PaneText() const override
    {
        return ScriptBytesFromText(w_.ScriptEditor->toPlainText(), w_.ScriptShownBytes);
    }
    void SetPaneText(const std::string &text) override
    {
        w_.ScriptShownBytes = text;
        Pane(w_)->SetTextKeepingPlace(ScriptTextFromBytes(text));
    }
    void FillTypeList(const std::vector<std::string> &names) override
    {
        QComboBox *combo = w_.TypeCombo;
        combo->setEnabled(false);
        combo->clear();
        combo->addItem(QString::fromLatin1(kGlobalEntry));
        combo->setCurrentIndex(0);
        for (const std::string &name : names)
            combo->addItem(TextFromBytes(name));
        combo->setEnabled(true);
    }
    void FillInspector(int page) override { w_.FillInspector(page); }
    void SetManagerTitle(const std::string &title) override
    {
        w_.lblScriptManager->setText(TextFromBytes(title));
    }
    void ShowMessage(const std::string &caption, const std::string &text, MessageIcon icon) override
    {
        ShowMessageBox(&w_, TextFromBytes(text), TextFromBytes(caption), BoxIcon(icon));
    }
    std::string ScriptBackupText() const override
    {
        return LineBytes(LinesText(w_.ScriptBackup, QStringLiteral("\r\n")));
    }
    void SetScriptBackup(const std::string &text) override
    {
        w_.ScriptBackup = TextLines(LinesFromBytes(text));
    }

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
    m.fileName = BytesFromText(slot.fileName, TextEncoding::Utf8);
    m.title = BytesFromText(slot.title, TextEncoding::Latin1);
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
    ScriptSync sync({w.RecordModified, w.ScriptModified, w.DocumentReady}, w.DocumentRecord, w.DefaultsRecord,
                    view, renderer);
    if (w.Managers.Valid(w.CurrentManager))
        sync.SetManager(&manager);
    sync.SetHeaderSource([&w] { return ScriptHeaderBytes(w.DocumentRecord); });
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

    TScriptEditor *pane = Pane(*this);
    pane->AttachCompanions(static_cast<QBoxLayout *>(TabScript->layout()));
    // The services read the document's manager at each call, so they follow it.
    ScriptCheckServices services;
    // The pane's text as the document's manager reads it: the bytes Update would hand over.
    services.encode = [this](const QString &text) { return ScriptBytesFromText(text, ScriptShownBytes); };
    services.check = [this](const std::string &text) {
        if (!Managers.Valid(CurrentManager) || Managers[CurrentManager].isText == 0)
            return std::string();
        return CheckReport(Managers[CurrentManager].CheckMemoryFile, text);
    };
    services.keyList = [this]() -> std::string {
        if (!Managers.Valid(CurrentManager) || !Managers[CurrentManager].GetScriptKeys)
            return {};
        std::vector<char> list(8192, '\0');
        Managers[CurrentManager].GetScriptKeys(list.data(), static_cast<int32_t>(list.size()));
        return std::string(list.data(), strnlen(list.data(), list.size()));
    };
    pane->SetServices(std::move(services));
    connect(pane, &TScriptEditor::FindingsChanged, this, [this] { MarkInspectorRows(); });
}

void TfrmMain::MarkInspectorRows()
{
    Pane(*this)->CheckIfPending();
    MarkInspectorFindings(InspectorGrid, Pane(*this)->Findings(), TypeCombo->currentIndex() - 1);
}

std::optional<QString> TfrmMain::ExamineScriptFile(const QString &path, int managerIndex)
{
    if (!Managers.Valid(managerIndex))
        return QString();
    const TParticleManager &manager = Managers[managerIndex];
    QFile file(path);
    if (!manager.CheckMemoryFile || manager.isText == 0 || !file.open(QIODevice::ReadOnly))
        return QString();  // the load reports what is wrong with the file
    QByteArray bytes = file.readAll();
    bytes.replace('\0', ' ');  // a NUL separates tokens as a blank does
    const std::vector<ScriptFinding> findings = ParseCheckReport(
        CheckReport(manager.CheckMemoryFile, bytes.toStdString()));
    if (HoldsNoKey(findings)) {
        const QString question = QStringLiteral("The file \"") + path +
                                 QStringLiteral("\" holds no particle script key and would open as an empty "
                                                "effect.\r\nOpen it anyway?");
        if (ShowMessageBox(this, question, QStringLiteral("Confirm"), TMsgIcon::Question,
                           TMsgButtons::YesNo) != TMsgResult::Yes)
            return std::nullopt;
    }
    const std::optional<std::string> summary = FindingsSummary(findings);
    return summary ? TextFromBytes(*summary) : QString();
}

void TfrmMain::FillInspector(int page)
{
    ObjectInspector->setEnabled(false);
    InspectorGrid->ClearRows();
    InspectorGrid->SetRows(BuildInspectorPage(DocumentRecord, page,
                                              CurrentUserParmNames(Managers, CurrentManager),
                                              InspectorDecimalSeparator()));
    MarkInspectorRows();
    MarkMissingSprite(InspectorGrid, GameDir, GameDir2);
    ObjectInspector->setEnabled(true);
}

void TfrmMain::TypeComboChange(int index)
{
    FillInspector(index);
}

void TfrmMain::ObjectInspectorValidate(int, int row, const QString &key, const QString &value)
{
    HostRenderer renderer(Renderers);
    const UserParmNames names = CurrentUserParmNames(Managers, CurrentManager);
    const std::string separator = InspectorDecimalSeparator();
    const int page = TypeCombo->currentIndex();
    // The row keeps the bytes it shows: an untouched text goes back unchanged,
    // a typed one in the document's character set.
    const TextEncoding encoding = RecordEncoding(DocumentRecord);
    const InspectorRow *info = InspectorGrid->RowInfo(row);
    const std::string keyBytes = BytesForEditedText(key,
                                                    info ? std::string_view(info->key) : std::string_view(),
                                                    encoding);
    std::string valueBytes = BytesForEditedText(value,
                                                info ? std::string_view(info->value) : std::string_view(),
                                                encoding);
    // A picked type name is that type's very bytes, whatever set they are in.
    if (info && info->editStyle == EditStyle::PickList)
        for (const std::string &choice : info->pickList)
            if (TextFromBytes(choice) == value) {
                valueBytes = choice;
                break;
            }
    EditResult result;
    // The row's label names the step: "Undo Gravity".
    ChangeDocument(key, [&](ParticleSystem &record) {
        InspectorEditContext ctx{record, names, separator, renderer, RecordModified, DocumentReady};
        result = ValidateInspectorEdit(ctx, page, keyBytes, valueBytes,
                                       [this, encoding](std::string_view rowKey) {
                                           const int r = InspectorGrid->RowOfKey(TextFromBytes(rowKey));
                                           const InspectorRow *other = InspectorGrid->RowInfo(r);
                                           return other ? BytesForEditedText(InspectorGrid->Value(r),
                                                                             other->value, encoding)
                                                        : std::string();
                                       });
    });
    switch (result.outcome) {
    case EditOutcome::UnknownKey:
        ShowMessageBox(this, TextFromBytes(result.message), QString(), TMsgIcon::Warning);
        break;
    case EditOutcome::Refused:
        ShowMessageBox(this, TextFromBytes(result.message), QString(), TMsgIcon::Error);
        break;
    case EditOutcome::Ignored:
    case EditOutcome::Applied: break;
    }
    if (result.outcome == EditOutcome::Ignored)
        return;
    if (result.typeEntryText && page >= 0 && page < TypeCombo->count()) {
        TypeCombo->setItemText(page, TextFromBytes(*result.typeEntryText));
        TypeCombo->setCurrentIndex(page);
    }
    // Nothing on screen may differ from the record: a refused or adjusted
    // value shows what was kept.
    InspectorGrid->RefreshValues(BuildInspectorPage(DocumentRecord, page, names, separator));
    if (key == QLatin1String(InspectorKey::kSpriteName))
        MarkMissingSprite(InspectorGrid, GameDir, GameDir2);
}

void TfrmMain::ObjectInspectorEditButtonClick(int row)
{
    const InspectorRow *info = InspectorGrid->RowInfo(row);
    if (!info)
        return;
    const int page = TypeCombo->currentIndex();
    HostRenderer renderer(Renderers);

    if (info->picker == RowPicker::Sprite) {
        const std::optional<TSpriteChoice> choice = BrowseForSprite(this, GameDir, GameDir2,
                                                                    InspectorGrid->Value(row), SpriteFolder);
        if (!choice)
            return;
        const std::string &path = choice->rowBytes;
        if (const auto problem = TextValueProblem(info->key, path)) {
            ShowMessageBox(this, TextFromBytes(*problem), QString(), TMsgIcon::Warning);
            return;
        }
        InspectorGrid->SetValue(row, choice->rowPath);
        // A pick from the browser is one step, named after the row as typing is.
        ChangeDocument(TextFromBytes(info->key),
                       [&](ParticleSystem &record) { ApplySpriteChoice(record, page, path, renderer); });
        MarkMissingSprite(InspectorGrid, GameDir, GameDir2);
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
        InspectorGrid->SetValue(row, TextFromBytes(PickedColourText(bytes, InspectorDecimalSeparator())));
        const bool start = info->key == InspectorKey::kStartColor1 || info->key == InspectorKey::kStartColor2;
        const QString first = InspectorGrid->Value(
            QString::fromLatin1(start ? InspectorKey::kStartColor1 : InspectorKey::kEndColor1));
        const QString second = InspectorGrid->Value(
            QString::fromLatin1(start ? InspectorKey::kStartColor2 : InspectorKey::kEndColor2));
        std::optional<std::string> error;
        ChangeDocument(TextFromBytes(info->key), [&](ParticleSystem &record) {
            error = ApplyColourRows(record, page, start, first.toStdString(), second.toStdString(),
                                    InspectorDecimalSeparator());
        });
        if (error)
            ShowMessageBox(this, TextFromBytes(*error), QString(), TMsgIcon::Error);
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
