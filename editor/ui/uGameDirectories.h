// The Game Directories dialog: the base folder the renderer searches for
// sprites and archives, and an optional additional one.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The warning that keeps the dialog open, or an empty text when both folders pass.
QString GameDirectoriesProblem(const QString &baseDir, const QString &additionalDir);

class TfrmGameDirectories : public QDialog {
    Q_OBJECT
public:
    TfrmGameDirectories(QWidget *owner, const QString &baseDir, const QString &additionalDir,
                        bool cancelEnabled);

    QString BaseDirectory() const;
    QString AdditionalDirectory() const;

    QLineEdit *edBaseDir = nullptr;
    QLineEdit *edAdditionalDir = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

public slots:
    void accept() override;

private:
    void Browse(QLineEdit *field, const QString &title);
};
