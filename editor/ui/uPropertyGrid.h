// The key/value grid of the Properties tab. It only shows the rows that the
// row model built and reports edits; reading them back is the window's job.
#pragma once

#include <QString>
#include <QTableWidget>
#include <vector>

#include "uPropertyRows.h"
#include "uTextRules.h"

class QKeyEvent;

class TObjectInspector : public QTableWidget {
    Q_OBJECT
public:
    explicit TObjectInspector(QWidget *parent = nullptr);

    // Removes every row, then adds the given ones.
    void SetRows(const std::vector<InspectorRow> &rows);
    void ClearRows();

    QString Key(int row) const;
    QString Value(int row) const;
    // The value of the first row with this key; empty when there is none.
    QString Value(const QString &key) const;
    int RowOfKey(const QString &key) const;
    void SetValue(int row, const QString &value);
    const InspectorRow *RowInfo(int row) const;
    // Shows what the record now holds: every row whose key the fresh page
    // has takes its value (and its pick list); the set of rows stays.
    void RefreshValues(const std::vector<InspectorRow> &fresh);

signals:
    // A cell was left after its text was typed or picked, or Enter was pressed.
    void Validate(int column, int row, const QString &key, const QString &value);
    // The ellipsis button of a row was pressed.
    void EditButtonClick(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TInspectorDelegate;
    void EmitValidate(int row, const QString &value);
    void QueueEditButton(int row);
    int KeyColumnWidthFor(const QString &key) const;
    std::vector<InspectorRow> rows_;
    // A committed row waiting for its editor to close.
    int pendingRow_ = -1;
    QString pendingValue_;
};

// The user's decimal separator, as the inspector writes and reads numbers.
std::string InspectorDecimalSeparator();
