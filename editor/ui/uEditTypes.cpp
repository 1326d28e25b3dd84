#include "uEditTypes.h"

#include <QFrame>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "uDialogPrompts.h"
#include "uMessages.h"
#include "uRebuildTypes.h"
#include "uTextRules.h"

namespace {

constexpr int kMaxTypes = 10;

// The dialog's warnings have no title of their own.
void Warn(QWidget *owner, const QString &text)
{
    ShowMessageBox(owner, text, QString(), TMsgIcon::Warning);
}
constexpr int kLineHeight = 22;

// Paints a line of LLV: silver when selected, the window colour otherwise, the
// name in bold on the main line, and a grey rule along the bottom pixel row.
class TypeLineDelegate : public QStyledItemDelegate {
public:
    TypeLineDelegate(const int *mainIndex, QObject *parent)
        : QStyledItemDelegate(parent), mainIndex_(mainIndex)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kLineHeight};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(r, selected ? QColor(192, 192, 192) : option.palette.color(QPalette::Base));
        QFont font = option.font;
        font.setBold(index.row() == *mainIndex_);
        painter->setFont(font);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(r.adjusted(6, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          index.data(Qt::DisplayRole).toString());
        painter->setPen(QColor(128, 128, 128));
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter->restore();
    }

private:
    const int *mainIndex_;
};

}  // namespace

TfrmEditTypes::TfrmEditTypes(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(tr("Edit Types"));
    setFixedSize(345, 289);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 240, 273);

    LLV_ = new QListWidget(panel);
    LLV_->setObjectName(QStringLiteral("LLV"));
    LLV_->setGeometry(2, 2, 236, 269);
    LLV_->setFrameShape(QFrame::NoFrame);
    LLV_->setSelectionMode(QAbstractItemView::SingleSelection);
    LLV_->setUniformItemSizes(true);
    LLV_->setItemDelegate(new TypeLineDelegate(&mainIndex_, LLV_));

    auto makeButton = [this](const QString &caption, int y) {
        auto *button = new QPushButton(caption, this);
        button->setGeometry(256, y, 81, 25);
        button->setAutoDefault(false);
        return button;
    };
    btnAdd_ = makeButton(tr("&Add"), 8);
    btnDelete_ = makeButton(tr("&Delete"), 40);
    btnSetMain_ = makeButton(tr("&Set Main"), 72);
    btnOK_ = makeButton(tr("&OK"), 224);
    btnCancel_ = makeButton(tr("&Cancel"), 256);
    btnOK_->setDefault(true);

    connect(btnAdd_, &QPushButton::clicked, this, &TfrmEditTypes::btnAddClick);
    connect(btnDelete_, &QPushButton::clicked, this, &TfrmEditTypes::btnDeleteClick);
    connect(btnSetMain_, &QPushButton::clicked, this, &TfrmEditTypes::btnSetMainClick);
    connect(btnOK_, &QPushButton::clicked, this, &TfrmEditTypes::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &TfrmEditTypes::reject);
    connect(LLV_, &QListWidget::itemDoubleClicked, this, &TfrmEditTypes::LLVDblClick);
    connect(LLV_, &QListWidget::currentRowChanged, LLV_->viewport(), qOverload<>(&QWidget::update));
}

QString TfrmEditTypes::FromRecordText(const std::string &text)
{
    return TextFromBytes(text);
}

std::string TfrmEditTypes::ToRecordText(const QString &text) const
{
    return BytesFromText(text, encoding_);
}

namespace {
// Each line keeps the bytes it was filled with, so that a name shown but not
// changed goes back exactly as it came.
constexpr int kRecordBytesRole = Qt::UserRole + 1;
}  // namespace

void TfrmEditTypes::SetNames(const std::vector<std::string> &names)
{
    LLV_->clear();
    for (const std::string &name : names) {
        auto *item = new QListWidgetItem(FromRecordText(name), LLV_);
        item->setData(kRecordBytesRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
}

std::vector<std::string> TfrmEditTypes::Names() const
{
    std::vector<std::string> names;
    for (int row = 0; row < LLV_->count(); ++row) {
        const QListWidgetItem *item = LLV_->item(row);
        const QVariant original = item->data(kRecordBytesRole);
        if (original.isValid()) {
            const QByteArray bytes = original.toByteArray();
            names.push_back(BytesForEditedText(item->text(),
                                               std::string_view(bytes.constData(),
                                                                static_cast<std::size_t>(bytes.size())),
                                               encoding_));
        } else {
            names.push_back(ToRecordText(item->text()));
        }
    }
    return names;
}

void TfrmEditTypes::SetMainIndex(int index)
{
    mainIndex_ = index;
    LLV_->viewport()->update();
}

bool TfrmEditTypes::NameTaken(const QString &name, int exceptRow) const
{
    for (int row = 0; row < LLV_->count(); ++row)
        if (row != exceptRow && LLV_->item(row)->text().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool TfrmEditTypes::NameFits(const QString &name)
{
    // Cutting the name to the record's name field, or a quote that ends it
    // early when the script is read back, would make it another name.
    switch (CheckTypeName(ToRecordText(name))) {
    case TypeNameProblem::None: return true;
    case TypeNameProblem::DoubleQuote:
        Warn(this, tr("Type name cannot contain a double quote (\")!"));
        return false;
    case TypeNameProblem::TooLong: break;
    }
    Warn(this, tr("Type name is too long: at most 255 bytes allowed!"));
    return false;
}

void TfrmEditTypes::btnAddClick()
{
    if (LLV_->count() >= kMaxTypes) {
        Warn(this, tr("Cannot add type: maximum 10 allowed!"));
        return;
    }
    QString name;
    if (!Prompts::InputQuery(this, tr("Add Type"), tr("Enter new type name:"), name) || name.isEmpty())
        return;
    if (NameTaken(name, -1)) {
        Warn(this, tr("This type already exists!"));
        return;
    }
    if (!NameFits(name))
        return;
    LLV_->addItem(name);
}

void TfrmEditTypes::btnDeleteClick()
{
    const int row = LLV_->currentRow();
    if (row < 0 || !LLV_->item(row)->isSelected())
        return;
    if (LLV_->count() < 2) {
        Warn(this, tr("Cannot delete last type: at least one must exist!"));
        return;
    }
    const QString text = tr("Are you sure to delete type \"%1\"?").arg(LLV_->item(row)->text());
    if (ShowMessageBox(this, text, QString(), TMsgIcon::Question, TMsgButtons::YesNo) != TMsgResult::Yes)
        return;
    if (row == mainIndex_)
        mainIndex_ = 0;
    else if (row < mainIndex_)
        --mainIndex_;
    delete LLV_->takeItem(row);
    LLV_->viewport()->update();
}

void TfrmEditTypes::btnSetMainClick()
{
    const int row = LLV_->currentRow();
    if (row < 0 || !LLV_->item(row)->isSelected())
        return;
    SetMainIndex(row);
}

void TfrmEditTypes::LLVDblClick(QListWidgetItem *item)
{
    if (!item)
        return;
    const int row = LLV_->row(item);
    QString name = item->text();
    if (!Prompts::InputQuery(this, tr("Rename Type"), tr("Enter new type name:"), name) || name.isEmpty())
        return;
    if (NameTaken(name, row)) {
        Warn(this, tr("This type already exists!"));
        return;
    }
    if (!NameFits(name))
        return;
    if (name != item->text())
        item->setData(kRecordBytesRole, QVariant());  // typed anew: written in the document's set
    item->setText(name);
}

void TfrmEditTypes::accept()
{
    // Without a line there is no main type to name; keep the dialog open so the
    // user can add one or cancel.
    if (LLV_->count() == 0) {
        Warn(this, tr("At least one type must exist: add a type or press Cancel."));
        return;
    }
    QDialog::accept();
}

bool ExecuteEditTypes(QWidget *owner, ParticleSystem &rec, const ParticleSystem &defaults)
{
    TfrmEditTypes dialog(owner);
    dialog.SetEncoding(RecordEncoding(rec));
    dialog.SetNames(UsedTypeNames(rec));
    dialog.SetMainIndex(FindMainTypeIndex(rec));
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return false;
    switch (RebuildTypes(rec, defaults, dialog.Names(), dialog.MainIndex())) {
    case RebuildTypesResult::Ok: return true;
    case RebuildTypesResult::EmptyList:
        Warn(owner, TfrmEditTypes::tr("At least one type must exist: the types were left unchanged."));
        break;
    case RebuildTypesResult::TooManyTypes:
        Warn(owner, TfrmEditTypes::tr("Cannot add type: maximum 10 allowed!"));
        break;
    case RebuildTypesResult::NameTooLong:
        Warn(owner, TfrmEditTypes::tr("Type name is too long: at most 255 bytes allowed!"));
        break;
    }
    return false;
}
