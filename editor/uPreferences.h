// The editor's stored settings: the preference values of TProgramSettings and
// the main window's own values, read once at start-up and written once when
// the main window closes; and the Preferences dialog that edits the former.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QFileDialog;

struct TProgramSettings {
    QString DefaultSpr;
    QString Headinsert;
    uint32_t BgColor = 8421504;
    uint32_t GrColor = 4605510;
    uint32_t TxtColor = 16777215;
    bool WaitSync = true;
    bool TextShadow = true;
};

extern TProgramSettings ProgramSettings;

// All twelve stored values, in the order they are read and written.
struct TStoredSettings {
    QString GameDir;
    QString GameDir2;
    int CurrentRenderer = 0;
    bool ShowGround = true;
    bool StartMaximized = false;
    TProgramSettings program;
};

// Defaults of a first run.
TStoredSettings DefaultSettings();

// Registry rules for a stored text: a signed decimal integer, else the default.
int ReadIntegerText(const std::optional<QString> &text, int defaultValue);
bool ReadBooleanText(const std::optional<QString> &text, bool defaultValue);

using TValueReader = std::function<std::optional<QString>(const QString &name)>;
using TValueWriter = std::function<void(const QString &name, const QString &value)>;
TStoredSettings ReadSettingsFrom(const TValueReader &read);
void WriteSettingsTo(const TStoredSettings &settings, const TValueWriter &write);

// The settings store of the current user: organisation "Brindle Works",
// application "EmbEd", group "Settings", every value a string.
TStoredSettings ReadStoredSettings();
void WriteStoredSettings(const TStoredSettings &settings);

class TfrmPreferences : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPreferences(QWidget *owner);

    // Fills the controls from `settings`, as each showing of the dialog does.
    void LoadFrom(const TProgramSettings &settings);
    // What OK stores.
    void StoreInto(TProgramSettings &settings) const;

    QLineEdit *edDefaultSpr = nullptr;
    QCheckBox *cbWaitSync = nullptr;
    QLineEdit *edBgColor = nullptr;
    QLineEdit *edGrColor = nullptr;
    QLineEdit *edTxtColor = nullptr;
    QCheckBox *cbTextShadow = nullptr;
    QPlainTextEdit *memHeadinsert = nullptr;
    QFileDialog *SpriteDialog = nullptr;

    static uint32_t FieldColour(const QLineEdit *field);
    static void SetFieldColour(QLineEdit *field, uint32_t colour);

private:
    void PickColour(QLineEdit *field);
    void PickSprite();
};

// Shows the dialog for ProgramSettings; true when confirmed with OK.
bool ExecutePreferences(QWidget *owner);
