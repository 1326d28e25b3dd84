#include "uGameDirectories.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uMessages.h"

namespace {
bool IsFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}
}  // namespace

QString GameDirectoriesProblem(const QString &baseDir, const QString &additionalDir)
{
    if (!IsFolder(baseDir))
        return QStringLiteral("Please specify a valid base game directory!");
    if (!additionalDir.isEmpty() && !IsFolder(additionalDir))
        return QStringLiteral("Please specify a valid additional game directory, or leave the field empty!");
    return QString();
}

TfrmGameDirectories::TfrmGameDirectories(QWidget *owner, const QString &baseDir, const QString &additionalDir,
                                         bool cancelEnabled)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmGameDirectories"));
    setWindowTitle(QStringLiteral("Game Directories"));
    auto *layout = new QVBoxLayout(this);
    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *grid = new QGridLayout(panel);

    auto row = [&](int r, const QString &label, const QString &hint, const QString &browseTitle,
                   QLineEdit *&field, const QString &text) {
        grid->addWidget(new QLabel(label, panel), r * 2, 0, 1, 2);
        field = new QLineEdit(text, panel);
        field->setToolTip(hint);
        field->setStatusTip(hint);
        grid->addWidget(field, r * 2 + 1, 0);
        auto *button = new QPushButton(QStringLiteral("..."), panel);
        button->setMaximumWidth(32);
        grid->addWidget(button, r * 2 + 1, 1);
        QLineEdit *target = field;
        connect(button, &QPushButton::clicked, this,
                [this, target, browseTitle] { Browse(target, browseTitle); });
    };
    row(0, QStringLiteral("Base Game Directory:"), QStringLiteral("Default directory to search in"),
        QStringLiteral("Select Base Directory"), edBaseDir, baseDir);
    row(1, QStringLiteral("Additional Game Directory:"),
        QStringLiteral("Directory to search in if file not found in Base Game Directory"),
        QStringLiteral("Select Additional Directory"), edAdditionalDir, additionalDir);
    layout->addWidget(panel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setEnabled(cancelEnabled);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, &TfrmGameDirectories::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(298, 213);
}

QString TfrmGameDirectories::BaseDirectory() const
{
    return edBaseDir->text();
}

QString TfrmGameDirectories::AdditionalDirectory() const
{
    return edAdditionalDir->text();
}

void TfrmGameDirectories::accept()
{
    const QString problem = GameDirectoriesProblem(BaseDirectory(), AdditionalDirectory());
    if (!problem.isEmpty()) {
        ShowMessageBox(this, problem, QString(), TMsgIcon::Warning);
        return;
    }
    QDialog::accept();
}

void TfrmGameDirectories::Browse(QLineEdit *field, const QString &title)
{
    const QString folder = QFileDialog::getExistingDirectory(this, title, QString(),
                                                             QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        field->setText(folder);
}
