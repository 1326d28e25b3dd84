// The edit history of a document: a list of named steps over the record, an
// undo position and a save point. A step keeps only the byte runs of the
// record that it changed, so small edits cost little; the list is bounded by
// a number of steps and by the bytes kept, and drops its oldest steps first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ParticleSystem.h"

// The bytes of a record that one change altered, before and after it.
class RecordDelta {
public:
    static RecordDelta Between(const ParticleSystem &before, const ParticleSystem &after);

    bool Empty() const { return runs_.empty(); }
    // Bytes held by the runs, both sides together.
    std::size_t Bytes() const;
    void ApplyBefore(ParticleSystem &record) const;
    void ApplyAfter(ParticleSystem &record) const;
    // True when a changed byte lies in [offset, offset + size).
    bool Touches(std::size_t offset, std::size_t size) const;

private:
    struct Run {
        uint32_t offset = 0;
        std::string before;
        std::string after;
    };
    std::vector<Run> runs_;
};

// What an undo or redo changed, so that the views and the renderer can follow.
struct StepEffect {
    std::string name;
    bool particlesChanged = false;  // the pool size
    bool typesChanged = false;      // type count, type names or main type
};

class History {
public:
    // Far above the 200 steps a user may expect to go back, and a bound on
    // memory even when every step rewrites whole records.
    static constexpr std::size_t kDefaultStepLimit = 1000;
    static constexpr std::size_t kDefaultByteLimit = 32u << 20;

    explicit History(std::size_t stepLimit = kDefaultStepLimit, std::size_t byteLimit = kDefaultByteLimit);

    // An empty history whose start is the save point (after Open or New).
    void Clear();
    // Adds a step after the current position; steps that could be redone go.
    void Push(std::string name, RecordDelta delta);

    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < steps_.size(); }
    // Names of the steps an undo or a redo would take; empty when none.
    std::string UndoName() const;
    std::string RedoName() const;
    // Moves the record one step back or forward; false when there is none.
    bool Undo(ParticleSystem &record, StepEffect *effect = nullptr);
    bool Redo(ParticleSystem &record, StepEffect *effect = nullptr);

    // The record as it stands now is what the file holds.
    void MarkSavePoint();
    // No state of the history is what the file holds (a document recovered
    // from a session that ended unsaved).
    void ForgetSavePoint() { savePoint_ = kNoSavePoint; }
    // True while the position is the save point; false once the saved state
    // can no longer be reached (its steps were dropped or overwritten).
    bool AtSavePoint() const;

    std::size_t StepCount() const { return steps_.size(); }
    std::size_t Position() const { return position_; }
    std::size_t Bytes() const { return bytes_; }

private:
    struct Step {
        std::string name;
        RecordDelta delta;
    };
    static StepEffect EffectOf(const Step &step);
    void DropOldest();

    static constexpr std::ptrdiff_t kNoSavePoint = -1;
    std::deque<Step> steps_;
    std::size_t position_ = 0;  // steps [0, position_) are done
    std::ptrdiff_t savePoint_ = 0;
    std::size_t bytes_ = 0;
    std::size_t stepLimit_;
    std::size_t byteLimit_;
};
