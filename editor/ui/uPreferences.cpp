#include "uPreferences.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "uMessages.h"
#include "uSpriteBrowser.h"
#include "uTextRules.h"

TProgramSettings ProgramSettings;

TStoredSettings ReadStoredSettings()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindle Works"),
                    QStringLiteral("EmbEd"));
    store.beginGroup(QStringLiteral("Settings"));
    return ReadSettingsFrom([&](const QString &name) -> std::optional<QString> {
        if (!store.contains(name))
            return std::nullopt;
        const QVariant v = store.value(name);
        // A hand-edited text with commas comes back as a list.
        if (v.userType() == QMetaType::QStringList)
            return v.toStringList().join(QStringLiteral(", "));
        return v.toString();
    });
}

void WriteStoredSettings(const TStoredSettings &settings)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindle Works"),
                    QStringLiteral("EmbEd"));
    store.beginGroup(QStringLiteral("Settings"));
    WriteSettingsTo(settings,
                    [&](const QString &name, const QString &value) { store.setValue(name, value); });
    store.endGroup();
    store.sync();
}

namespace {
QGroupBox *BoldGroup(const QString &caption, QWidget *parent)
{
    auto *group = new QGroupBox(caption, parent);
    QFont font = group->font();
    font.setBold(true);
    group->setFont(font);
    return group;
}

// Children of a bold group keep the normal weight.
template <typename W>
W *Plain(W *widget)
{
    QFont font = widget->font();
    font.setBold(false);
    widget->setFont(font);
    return widget;
}
}  // namespace

TfrmPreferences::TfrmPreferences(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Preferences"));
    setObjectName(QStringLiteral("frmPreferences"));
    auto *layout = new QVBoxLayout(this);

    auto *general = BoldGroup(QStringLiteral("General Preferences"), this);
    auto *g = new QGridLayout(general);
    g->addWidget(Plain(new QLabel(QStringLiteral("Default Sprite"), general)), 0, 0);
    edDefaultSpr = Plain(new QLineEdit(general));
    g->addWidget(edDefaultSpr, 0, 1);
    auto *btnSprite = Plain(new QPushButton(QStringLiteral("..."), general));
    btnSprite->setObjectName(QStringLiteral("btnDefaultSpr"));
    btnSprite->setMaximumWidth(32);
    g->addWidget(btnSprite, 0, 2);
    cbWaitSync = Plain(new QCheckBox(QStringLiteral("Wait For Vertical Blank"), general));
    g->addWidget(cbWaitSync, 1, 0, 1, 3);
    layout->addWidget(general);

    auto *colours = BoldGroup(QStringLiteral("Renderer Colors"), this);
    auto *c = new QGridLayout(colours);
    auto colourRow = [&](int row, const QString &label, QLineEdit *&field, const char *name) {
        c->addWidget(Plain(new QLabel(label, colours)), row, 0);
        field = Plain(new QLineEdit(colours));
        field->setReadOnly(true);
        field->setObjectName(QLatin1String(name));
        c->addWidget(field, row, 1);
        auto *button = Plain(new QPushButton(QStringLiteral("..."), colours));
        button->setObjectName(QLatin1String(name) + QStringLiteral("Button"));
        button->setMaximumWidth(32);
        c->addWidget(button, row, 2);
        QLineEdit *target = field;
        connect(button, &QPushButton::clicked, this, [this, target] { PickColour(target); });
    };
    colourRow(0, QStringLiteral("Background Color"), edBgColor, "edBgColor");
    colourRow(1, QStringLiteral("Ground Color"), edGrColor, "edGrColor");
    colourRow(2, QStringLiteral("Text Color"), edTxtColor, "edTxtColor");
    cbTextShadow = Plain(new QCheckBox(QStringLiteral("Text Shadow"), colours));
    c->addWidget(cbTextShadow, 3, 0, 1, 3);
    layout->addWidget(colours);

    auto *signature = BoldGroup(QStringLiteral("Copyright && Signature"), this);
    auto *s = new QVBoxLayout(signature);
    s->addWidget(
        Plain(new QLabel(QStringLiteral("Add this text to every particle you created (only for text mode)"),
                         signature)));
    s->addWidget(
        Plain(new QLabel(QStringLiteral("Make sure that every line begins with comment sign (usually //)"),
                         signature)));
    memHeadinsert = Plain(new QPlainTextEdit(signature));
    s->addWidget(memHeadinsert);
    layout->addWidget(signature);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(btnSprite, &QPushButton::clicked, this, &TfrmPreferences::PickSprite);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

uint32_t TfrmPreferences::FieldColour(const QLineEdit *field)
{
    return field->property("colour").toUInt();
}

void TfrmPreferences::SetFieldColour(QLineEdit *field, uint32_t colour)
{
    field->setProperty("colour", colour);
    const uint32_t plain = colour & 0xFFFFFF;
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, QColor(plain & 0xFF, (plain >> 8) & 0xFF, (plain >> 16) & 0xFF));
    field->setPalette(palette);
}

void TfrmPreferences::LoadFrom(const TProgramSettings &settings)
{
    edDefaultSpr->setText(settings.DefaultSpr);
    cbWaitSync->setChecked(settings.WaitSync);
    SetFieldColour(edBgColor, settings.BgColor);
    SetFieldColour(edGrColor, settings.GrColor);
    SetFieldColour(edTxtColor, settings.TxtColor);
    cbTextShadow->setChecked(settings.TextShadow);
    memHeadinsert->clear();
    memHeadinsert->setPlainText(
        QString(settings.Headinsert).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TfrmPreferences::SetGameDirectories(const QString &baseDir, const QString &additionalDir)
{
    baseDir_ = baseDir;
    additionalDir_ = additionalDir;
}

void TfrmPreferences::StoreInto(TProgramSettings &settings) const
{
    settings.DefaultSpr = edDefaultSpr->text();
    settings.WaitSync = cbWaitSync->isChecked();
    settings.BgColor = FieldColour(edBgColor);
    settings.GrColor = FieldColour(edGrColor);
    settings.TxtColor = FieldColour(edTxtColor);
    settings.TextShadow = cbTextShadow->isChecked();
    // Lines of the header are kept with CR LF between them.
    settings.Headinsert = memHeadinsert->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void TfrmPreferences::accept()
{
    const QString header = memHeadinsert->toPlainText();
    const int line = FirstHeaderLineNotComment(header);
    if (line >= 0) {
        ShowMessageBox(this, HeaderLineNotCommentMessage(header, line), QString(), TMsgIcon::Warning);
        return;
    }
    QDialog::accept();
}

void TfrmPreferences::PickColour(QLineEdit *field)
{
    const uint32_t c = FieldColour(field) & 0xFFFFFF;
    QColorDialog dialog(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF), this);
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    SetFieldColour(field, static_cast<uint32_t>(chosen.red()) | (static_cast<uint32_t>(chosen.green()) << 8) |
                              (static_cast<uint32_t>(chosen.blue()) << 16));
}

void TfrmPreferences::PickSprite()
{
    // The setting keeps a file path (a new document's sprite is "sprites/" and
    // its file name); an archive entry gives its game path instead.
    const QString current = edDefaultSpr->text();
    const int slash = std::max(current.lastIndexOf(QLatin1Char('/')), current.lastIndexOf(QLatin1Char('\\')));
    const QString fileName = slash >= 0 ? current.mid(slash + 1) : current;
    const QString folder = slash > 0 ? current.left(slash) : baseDir_;
    const std::optional<TSpriteChoice> choice =
        BrowseForSprite(this, baseDir_, additionalDir_,
                        fileName.isEmpty() ? QString() : QStringLiteral("sprites/") + fileName, folder);
    if (!choice)
        return;
    const QFileInfo file(choice->filePath);
    edDefaultSpr->setText(file.isAbsolute() ? file.absoluteFilePath() : choice->filePath);
}

bool ExecutePreferences(QWidget *owner, const QString &baseDir, const QString &additionalDir)
{
    TfrmPreferences dialog(owner);
    dialog.SetGameDirectories(baseDir, additionalDir);
    dialog.LoadFrom(ProgramSettings);
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return false;
    dialog.StoreInto(ProgramSettings);
    return true;
}

std::string ScriptHeaderBytes(const ParticleSystem &record)
{
    return BytesFromText(ProgramSettings.Headinsert, RecordEncoding(record));
}
