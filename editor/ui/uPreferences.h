// The editor's stored settings: the preference values of TProgramSettings and
// the main window's own values, read once at start-up and written once when
// the main window closes; and the Preferences dialog that edits the former.
#pragma once

#include <QDialog>

#include <string>

#include "ParticleSystem.h"
#include "uSettingsValues.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

extern TProgramSettings ProgramSettings;

// The settings store of the current user: organisation "Brindle Works",
// application "EmbEd", group "Settings", every value a string.
TStoredSettings ReadStoredSettings();
void WriteStoredSettings(const TStoredSettings &settings);

class TfrmPreferences : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPreferences(QWidget *owner);

    // The game directories the sprite browser lists.
    void SetGameDirectories(const QString &baseDir, const QString &additionalDir);

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

    // OK refuses a header text with a line that is not a comment.
    void accept() override;

    static uint32_t FieldColour(const QLineEdit *field);
    static void SetFieldColour(QLineEdit *field, uint32_t colour);

    void PickSprite();

private:
    void PickColour(QLineEdit *field);

    QString baseDir_, additionalDir_;
};

// Shows the dialog for ProgramSettings; true when confirmed with OK. Default
// Sprite's browser lists the game directories given.
bool ExecutePreferences(QWidget *owner, const QString &baseDir = QString(),
                        const QString &additionalDir = QString());

// The header text for a script of `record`, in the record's character set
// (UTF-8 unless the record's texts are Latin-1 and the header fits Latin-1).
std::string ScriptHeaderBytes(const ParticleSystem &record);
