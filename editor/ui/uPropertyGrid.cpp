#include "uPropertyGrid.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

namespace {

QIcon EllipsisIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setBrush(Qt::black);
    painter.setPen(Qt::NoPen);
    for (int x : {3, 7, 11})
        painter.drawRect(x, 11, 2, 2);
    return QIcon(pixmap);
}

}  // namespace

// Builds an editor of the row's edit style and reports what the user did with it.
class TInspectorDelegate : public QStyledItemDelegate {
public:
    explicit TInspectorDelegate(TObjectInspector *grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        const InspectorRow *info = grid_->RowInfo(index.row());
        if (index.column() != 1 || !info)
            return nullptr;
        edited_ = false;
        if (info->editStyle == EditStyle::PickList) {
            auto *combo = new QComboBox(parent);
            combo->setEditable(!info->readOnly);
            for (const std::string &item : info->pickList)
                combo->addItem(TextFromBytes(item));
            QObject::connect(combo, qOverload<int>(&QComboBox::activated), combo, [this, combo] {
                edited_ = true;  // a pick counts even when it is the same entry
                auto *self = const_cast<TInspectorDelegate *>(this);
                emit self->commitData(combo);
                emit self->closeEditor(combo);
            });
            return combo;
        }
        auto *line = new QLineEdit(parent);
        if (info->maxLength > 0)
            line->setMaxLength(info->maxLength);
        if (info->editStyle == EditStyle::Ellipsis) {
            QAction *button = line->addAction(EllipsisIcon(), QLineEdit::TrailingPosition);
            button->setToolTip(QStringLiteral("..."));
            const int row = index.row();
            QObject::connect(button, &QAction::triggered, line, [this, line, row] {
                auto *self = const_cast<TInspectorDelegate *>(this);
                emit self->commitData(line);
                emit self->closeEditor(line);
                grid_->QueueEditButton(row);
            });
        }
        return line;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        const QString text = index.data(Qt::EditRole).toString();
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            const int i = combo->findText(text);
            if (i >= 0)
                combo->setCurrentIndex(i);
            else if (combo->isEditable())
                combo->setEditText(text);
            else
                combo->setCurrentIndex(-1);  // a value the list does not offer stays unpicked
        } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->setText(text);
            line->setModified(false);
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        QString text;
        bool typed = edited_;
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            if (combo->currentIndex() < 0 && !combo->isEditable())
                return;  // nothing picked
            text = combo->currentText();
        } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            text = line->text();
            typed = typed || line->isModified();
            line->setModified(false);
        }
        edited_ = false;
        model->setData(index, text, Qt::EditRole);
        if (typed) {
            grid_->pendingRow_ = index.row();
            grid_->pendingValue_ = text;
        }
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                edited_ = true;  // Enter validates even an unchanged row
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TObjectInspector *grid_;
    mutable bool edited_ = false;
};

TObjectInspector::TObjectInspector(QWidget *parent) : QTableWidget(0, 2, parent)
{
    setObjectName(QStringLiteral("ObjectInspectorGrid"));
    setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value")});
    verticalHeader()->setVisible(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    // The longest fixed label must show whole in the platform's font, which is
    // wider than the one the grid was first laid out for; the value column
    // takes what is left, so the grid never needs to scroll sideways.
    setColumnWidth(0, std::max(120, KeyColumnWidthFor(QStringLiteral("Number of Particles"))));
    setColumnWidth(1, 60);
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setItemDelegate(new TInspectorDelegate(this));
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Button-face background, like the rest of the panel.
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    setPalette(p);
}

int TObjectInspector::KeyColumnWidthFor(const QString &key) const
{
    // The cell's text margins and the grid line.
    return fontMetrics().horizontalAdvance(key) + 16;
}

void TObjectInspector::ClearRows()
{
    setRowCount(0);
    rows_.clear();
    pendingRow_ = -1;
}

void TObjectInspector::SetRows(const std::vector<InspectorRow> &rows)
{
    ClearRows();
    rows_ = rows;
    setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < rowCount(); ++r) {
        const InspectorRow &info = rows_[static_cast<std::size_t>(r)];
        auto *key = new QTableWidgetItem(TextFromBytes(info.key));
        key->setFlags(Qt::ItemIsEnabled);
        setItem(r, 0, key);
        setItem(r, 1, new QTableWidgetItem(TextFromBytes(info.value)));
    }
    // Widen for a longer label (a manager's user parameter names), never narrow.
    int keyWidth = columnWidth(0);
    for (const InspectorRow &info : rows_)
        keyWidth = std::max(keyWidth, KeyColumnWidthFor(TextFromBytes(info.key)));
    if (keyWidth != columnWidth(0))
        setColumnWidth(0, keyWidth);
    horizontalScrollBar()->setValue(0);
}

QString TObjectInspector::Key(int row) const
{
    const QTableWidgetItem *i = item(row, 0);
    return i ? i->text() : QString();
}

QString TObjectInspector::Value(int row) const
{
    const QTableWidgetItem *i = item(row, 1);
    return i ? i->text() : QString();
}

int TObjectInspector::RowOfKey(const QString &key) const
{
    for (int r = 0; r < rowCount(); ++r)
        if (Key(r) == key)
            return r;
    return -1;
}

QString TObjectInspector::Value(const QString &key) const
{
    const int r = RowOfKey(key);
    return r < 0 ? QString() : Value(r);
}

void TObjectInspector::SetValue(int row, const QString &value)
{
    if (QTableWidgetItem *i = item(row, 1))
        i->setText(value);
}

void TObjectInspector::RefreshValues(const std::vector<InspectorRow> &fresh)
{
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (const InspectorRow &row : fresh) {
            if (row.key != rows_[r].key)
                continue;
            rows_[r].value = row.value;
            rows_[r].pickList = row.pickList;
            SetValue(static_cast<int>(r), TextFromBytes(row.value));
            break;
        }
    }
}

const InspectorRow *TObjectInspector::RowInfo(int row) const
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return nullptr;
    return &rows_[static_cast<std::size_t>(row)];
}

void TObjectInspector::keyPressEvent(QKeyEvent *event)
{
    // Enter on a cell that is not being edited validates the current row.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState &&
        currentRow() >= 0)
        EmitValidate(currentRow(), Value(currentRow()));
    QTableWidget::keyPressEvent(event);
}

// Validation runs once the editor is gone, so that a message box it shows
// cannot commit the same editor again, yet before anything that moved the
// focus away (a tab switch, a save) goes on.
void TObjectInspector::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableWidget::closeEditor(editor, hint);
    if (pendingRow_ < 0)
        return;
    const int row = pendingRow_;
    const QString value = pendingValue_;
    pendingRow_ = -1;
    EmitValidate(row, value);
}

void TObjectInspector::EmitValidate(int row, const QString &value)
{
    emit Validate(1, row, Key(row), value);
}

void TObjectInspector::QueueEditButton(int row)
{
    QTimer::singleShot(0, this, [this, row] { emit EditButtonClick(row); });
}

std::string InspectorDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80)
        return point.toStdString();
    return ".";
}
