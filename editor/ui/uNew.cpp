#include "uNew.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

TfrmNew::TfrmNew(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(tr("New Particle"));
    // Wide enough for a manager's title and file name on one line.
    setFixedSize(409, 217);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    GroupBox1_ = new QGroupBox(tr("Select Particle Type:"), this);
    GroupBox1_->setGeometry(8, 8, 393, 161);

    ListBox1_ = new QListWidget(GroupBox1_);
    ListBox1_->setObjectName(QStringLiteral("ListBox1"));
    ListBox1_->setGeometry(10, 22, 373, 129);
    ListBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont font = ListBox1_->font();
    font.setPixelSize(13);
    ListBox1_->setFont(font);
    ListBox1_->setUniformItemSizes(true);
    ListBox1_->setStyleSheet(QStringLiteral("QListWidget::item { height: 16px; }"));

    btnOK_ = new QPushButton(tr("&OK"), this);
    btnOK_->setGeometry(240, 180, 75, 25);
    btnOK_->setDefault(true);
    btnCancel_ = new QPushButton(tr("&Cancel"), this);
    btnCancel_->setGeometry(326, 180, 75, 25);
    connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmNew::AddManagerLine(const QString &title, const QString &fileName)
{
    ListBox1_->addItem(title + QStringLiteral(" [") + fileName + QStringLiteral("]"));
    if (ListBox1_->count() == 1)
        ListBox1_->setCurrentRow(0);
}

int TfrmNew::SelectedIndex() const
{
    const int row = ListBox1_->currentRow();
    return row >= 0 && row < ListBox1_->count() ? row : -1;
}
