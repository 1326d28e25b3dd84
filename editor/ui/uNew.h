// The New dialog: the user picks the manager plug-in that creates the new
// document. It lives for the whole run and keeps its selected line.
#pragma once

#include <QDialog>

class QGroupBox;
class QListWidget;
class QPushButton;

class TfrmNew : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNew(QWidget *owner = nullptr);

    // One line per manager, in manager order; the line's row is the manager's index.
    QListWidget *ListBox1() const { return ListBox1_; }
    void AddManagerLine(const QString &title, const QString &fileName);
    // The selected row, or -1 when there is none (no manager loaded).
    int SelectedIndex() const;

    QPushButton *btnOK() const { return btnOK_; }
    QPushButton *btnCancel() const { return btnCancel_; }

private:
    QGroupBox *GroupBox1_ = nullptr;
    QListWidget *ListBox1_ = nullptr;
    QPushButton *btnOK_ = nullptr;
    QPushButton *btnCancel_ = nullptr;
};
