#include "uSelectRenderer.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "uDialogCaption.h"

TfrmSelectRenderer::TfrmSelectRenderer(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmSelectRenderer"));
    setWindowTitle(QStringLiteral("Renderer"));
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Select Renderer:"), this);
    auto *g = new QVBoxLayout(group);
    RadioButton1 = new QRadioButton(QStringLiteral("OpenGL"), group);
    RadioButton2 = new QRadioButton(QStringLiteral("Direct3D7"), group);
    RadioButton3 = new QRadioButton(QStringLiteral("Direct3D9"), group);
    for (QRadioButton *b : {RadioButton1, RadioButton2, RadioButton3}) {
        b->setEnabled(false);
        g->addWidget(b);
    }
    layout->addWidget(group);
    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok);
    // Narrow as its contents are, the dialog is as wide as its caption needs.
    layout->addStrut(CaptionWidth(this) - layout->contentsMargins().left() -
                     layout->contentsMargins().right());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QRadioButton *TfrmSelectRenderer::Button(int slot) const
{
    switch (slot) {
    case 0: return RadioButton1;
    case 1: return RadioButton2;
    case 2: return RadioButton3;
    default: return nullptr;
    }
}

int TfrmSelectRenderer::Choice() const
{
    if (RadioButton1->isChecked())
        return 1;
    if (RadioButton2->isChecked())
        return 2;
    if (RadioButton3->isChecked())
        return 3;
    return 0;
}
