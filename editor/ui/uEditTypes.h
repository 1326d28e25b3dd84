// The Edit Types dialog: the user adds, renames and deletes particle type
// names and marks the main type. The record itself is rebuilt from the list by
// RebuildTypes once the dialog is confirmed.
#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "uTextEncoding.h"

struct ParticleSystem;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class TfrmEditTypes : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEditTypes(QWidget *owner = nullptr);

    // The list LLV and its main-type mark.
    void SetNames(const std::vector<std::string> &names);
    std::vector<std::string> Names() const;
    int MainIndex() const { return mainIndex_; }
    void SetMainIndex(int index);

    QListWidget *LLV() const { return LLV_; }
    QPushButton *btnAdd() const { return btnAdd_; }
    QPushButton *btnDelete() const { return btnDelete_; }
    QPushButton *btnSetMain() const { return btnSetMain_; }
    QPushButton *btnOK() const { return btnOK_; }
    QPushButton *btnCancel() const { return btnCancel_; }

    // Record names are bytes: shown as UTF-8 where they are valid UTF-8, else
    // as Latin-1. A name the user typed is written in the document's
    // character set (SetEncoding); an untouched line keeps its bytes.
    static QString FromRecordText(const std::string &text);
    std::string ToRecordText(const QString &text) const;
    void SetEncoding(TextEncoding encoding) { encoding_ = encoding; }

public slots:
    void btnAddClick();
    void btnDeleteClick();
    void btnSetMainClick();
    void LLVDblClick(QListWidgetItem *item);
    void accept() override;

private:
    bool NameTaken(const QString &name, int exceptRow) const;
    bool NameFits(const QString &name);

    QListWidget *LLV_ = nullptr;
    QPushButton *btnAdd_ = nullptr;
    QPushButton *btnDelete_ = nullptr;
    QPushButton *btnSetMain_ = nullptr;
    QPushButton *btnOK_ = nullptr;
    QPushButton *btnCancel_ = nullptr;
    int mainIndex_ = 0;
    TextEncoding encoding_ = TextEncoding::Utf8;
};

// The Edit Types command's dialog work: fills the dialog from rec, shows it
// modally and, when it is confirmed, rebuilds rec's types from its list (new
// names from the entries of defaults). True when rec was rebuilt; false when
// the dialog was cancelled or the list could not be applied (rec untouched,
// the user told why).
bool ExecuteEditTypes(QWidget *owner, ParticleSystem &rec, const ParticleSystem &defaults);
