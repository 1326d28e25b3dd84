// The open document: its record, the manager's defaults, where it lives, which
// manager reads and writes it, and its edit history. Every change to the
// record that the user should be able to undo goes through Change(): the
// document compares the record before and after and keeps the difference as
// one named step. The document is modified while the history stands away from
// its save point.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "ParticleSystem.h"
#include "uHistory.h"

class Document {
public:
    Document();
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    // The renderer keeps the record's address for the whole run: it never moves.
    ParticleSystem record{};
    ParticleSystem defaults{};
    QString path;     // empty for a document never saved
    QString name;     // shown in the caption: the path, or "NewParticle"
    int manager = 0;  // slot of the manager that owns the document

    // Runs `edit` on the record and keeps what it changed as the step `name`;
    // nothing is kept when the record is unchanged. True when it changed.
    bool Change(const std::string &stepName, const std::function<void(ParticleSystem &)> &edit);
    // As Change, for a record changed in place already: `before` is the record
    // as it was.
    bool CommitChange(const std::string &stepName, const ParticleSystem &before);

    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    std::string UndoName() const { return history_.UndoName(); }
    std::string RedoName() const { return history_.RedoName(); }
    bool Undo(StepEffect *effect = nullptr);
    bool Redo(StepEffect *effect = nullptr);

    // A document just opened or created: a new history, nothing modified.
    void StartHistory();
    // The record is what the file now holds.
    void MarkSaved();
    // Nothing in the history is saved: the document is modified until saved.
    void ForgetSaved();
    bool Modified() const { return !history_.AtSavePoint(); }

    const History &history() const { return history_; }

    // Called after every change of the record, the history or the save point.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void Notify();
    History history_;
    std::function<void()> listener_;
};
