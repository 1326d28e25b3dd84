// The main window's inspector and script-pane handlers: thin glue between the
// widgets and the row model, the key table and the script sync.
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <cstring>

#include "uPropertyEdit.h"
#include "uPropertyRows.h"
#include "uMain.h"
#include "uSpriteBrowser.h"
#include "uPropertyGrid.h"
#include "uParticleMan.h"
#include "uPreferences.h"
#include "uRender.h"
#include "uScriptEditor.h"
#include "uScriptEditorMenu.h"
#include "uScriptFindings.h"
#include "uScriptProblems.h"
#include "uScriptSync.h"

namespace {

// The renderer host's forwarders, which do nothing without an open device.
class HostRenderer : public RendererCalls {
public:
    void ReallocParticles() override { ::ReallocParticles(); }
    void RelinkTypes() override { ::RelinkTypes(); }
    void UpdateTextures() override { ::UpdateTextures(); }
    void UpdateRendermode() override { ::UpdateRendermode(); }
    void UpdateParticles(const ParticleSystem *record) override { ::UpdateParticles(record); }
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
    for (std::size_t size = 4096 + static_cast<std::size_t>(count) * 160; size <= kMaxScriptTextSize; size *= 2) {
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
    void SetManagerTitle(const std::string &title) override { w_.Label2->setText(TextFromBytes(title)); }
    void ShowMessage(const std::string &caption, const std::string &text, MessageIcon icon) override
    {
        ShowMessageBox(&w_, TextFromBytes(text), TextFromBytes(caption), BoxIcon(icon));
    }
    std::string ScriptBackupText() const override
    {
        return LineBytes(LinesText(w_.ScriptBackup, QStringLiteral("\r\n")));
    }
    void SetScriptBackup(const std::string &text) override { w_.ScriptBackup = TextLines(LinesFromBytes(text)); }

private:
    TfrmMain &w_;
};

ScriptManager CurrentScriptManager(int index)
{
    ScriptManager m;
    if (!ManagerValid(index))
        return m;
    const TParticleManager &slot = ManagerTable[index];
    m.saveMemoryFile = slot.SaveMemoryFile;
    m.loadMemoryFile = slot.LoadMemoryFile;
    m.getDefaults = slot.GetDefaults;
    m.fileName = BytesFromText(slot.fileName, TextEncoding::Utf8);
    m.title = BytesFromText(slot.title, TextEncoding::Latin1);
    return m;
}

UserParmNames CurrentUserParmNames(int index)
{
    if (!ManagerValid(index))
        return {};
    return UserParmNamesFromBuffers(ManagerTable[index].userParmNames);
}

// One sync over the window's own state, for the length of one handler.
template <typename F>
auto WithScriptSync(TfrmMain &w, F &&work)
{
    HostRenderer renderer;
    MainScriptView view(w);
    const ScriptManager manager = CurrentScriptManager(w.CurrentManager);
    ScriptSync sync({w.RecordModified, w.ScriptModified, w.DocumentReady}, w.DocumentRecord,
                    w.DefaultsRecord, view, renderer);
    if (ManagerValid(w.CurrentManager))
        sync.SetManager(&manager);
    sync.SetHeaderSource([&w] { return ScriptHeaderBytes(w.DocumentRecord); });
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
        if (!ManagerValid(CurrentManager) || ManagerTable[CurrentManager].isText == 0)
            return std::string();
        return CheckReport(ManagerTable[CurrentManager].CheckMemoryFile, text);
    };
    services.keyList = [this]() -> std::string {
        if (!ManagerValid(CurrentManager) || !ManagerTable[CurrentManager].GetScriptKeys)
            return {};
        std::vector<char> list(8192, '\0');
        ManagerTable[CurrentManager].GetScriptKeys(list.data(), static_cast<int32_t>(list.size()));
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
    if (!ManagerValid(managerIndex))
        return QString();
    const TParticleManager &manager = ManagerTable[managerIndex];
    QFile file(path);
    if (!manager.CheckMemoryFile || manager.isText == 0 || !file.open(QIODevice::ReadOnly))
        return QString();  // the load reports what is wrong with the file
    QByteArray bytes = file.readAll();
    bytes.replace('\0', ' ');  // a NUL separates tokens as a blank does
    const std::vector<ScriptFinding> findings =
        ParseCheckReport(CheckReport(manager.CheckMemoryFile, bytes.toStdString()));
    if (HoldsNoKey(findings)) {
        const QString question = QStringLiteral("The file \"") + path +
                                 QStringLiteral("\" holds no particle script key and would open as an empty "
                                                "effect.\r\nOpen it anyway?");
        if (ShowMessageBox(this, question, QStringLiteral("Confirm"), TMsgIcon::Question, TMsgButtons::YesNo) !=
            TMsgResult::Yes)
            return std::nullopt;
    }
    const std::optional<std::string> summary = FindingsSummary(findings);
    return summary ? TextFromBytes(*summary) : QString();
}

void TfrmMain::FillInspector(int page)
{
    ObjectInspector->setEnabled(false);
    InspectorGrid->ClearRows();
    InspectorGrid->SetRows(BuildInspectorPage(DocumentRecord, page, CurrentUserParmNames(CurrentManager),
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
    HostRenderer renderer;
    const UserParmNames names = CurrentUserParmNames(CurrentManager);
    const std::string separator = InspectorDecimalSeparator();
    InspectorEditContext ctx{DocumentRecord, names, separator, renderer, RecordModified, DocumentReady};
    const int page = TypeCombo->currentIndex();
    // The row keeps the bytes it shows: an untouched text goes back unchanged,
    // a typed one in the document's character set.
    const TextEncoding encoding = RecordEncoding(DocumentRecord);
    const InspectorRow *info = InspectorGrid->RowInfo(row);
    const std::string keyBytes =
        BytesForEditedText(key, info ? std::string_view(info->key) : std::string_view(), encoding);
    std::string valueBytes =
        BytesForEditedText(value, info ? std::string_view(info->value) : std::string_view(), encoding);
    // A picked type name is that type's very bytes, whatever set they are in.
    if (info && info->editStyle == EditStyle::PickList)
        for (const std::string &choice : info->pickList)
            if (TextFromBytes(choice) == value) {
                valueBytes = choice;
                break;
            }
    const EditResult result =
        ValidateInspectorEdit(ctx, page, keyBytes, valueBytes, [this, encoding](std::string_view rowKey) {
            const int r = InspectorGrid->RowOfKey(TextFromBytes(rowKey));
            const InspectorRow *other = InspectorGrid->RowInfo(r);
            return other ? BytesForEditedText(InspectorGrid->Value(r), other->value, encoding) : std::string();
        });
    switch (result.outcome) {
    case EditOutcome::UnknownKey:
        ShowMessageBox(this, TextFromBytes(result.message), QString(), TMsgIcon::Warning);
        break;
    case EditOutcome::Refused:
        ShowMessageBox(this, TextFromBytes(result.message), QString(), TMsgIcon::Error);
        break;
    case EditOutcome::Ignored:
    case EditOutcome::Applied:
        break;
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
    HostRenderer renderer;

    if (info->picker == RowPicker::Sprite) {
        const std::optional<TSpriteChoice> choice =
            BrowseForSprite(this, GameDir, GameDir2, InspectorGrid->Value(row), SpriteFolder);
        if (!choice)
            return;
        const std::string &path = choice->rowBytes;
        if (const auto problem = TextValueProblem(info->key, path)) {
            ShowMessageBox(this, TextFromBytes(*problem), QString(), TMsgIcon::Warning);
            return;
        }
        InspectorGrid->SetValue(row, choice->rowPath);
        ApplySpriteChoice(DocumentRecord, page, path, renderer);
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
        const QString first = InspectorGrid->Value(QString::fromLatin1(start ? InspectorKey::kStartColor1
                                                                               : InspectorKey::kEndColor1));
        const QString second = InspectorGrid->Value(QString::fromLatin1(start ? InspectorKey::kStartColor2
                                                                                : InspectorKey::kEndColor2));
        if (const auto error = ApplyColourRows(DocumentRecord, page, start, first.toStdString(),
                                               second.toStdString(), InspectorDecimalSeparator()))
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

bool TfrmMain::ApplyScript()
{
    UnsavedChanges = UnsavedChanges || RecordModified || ScriptModified;
    return WithScriptSync(*this, [](ScriptSync &sync) { return sync.ApplyScript(); });
}

void TfrmMain::PageControl1Change(int index)
{
    // The sync clears the flag it acts on; the edit itself is still unsaved.
    UnsavedChanges = UnsavedChanges || RecordModified || ScriptModified;
    WithScriptSync(*this, [index](ScriptSync &sync) { sync.PageControl1Change(index); });
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
    WithScriptSync(*this, [](ScriptSync &sync) { sync.Revert(); });
}
