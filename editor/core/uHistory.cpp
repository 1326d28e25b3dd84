#include "uHistory.h"

#include <cstring>
#include <utility>

namespace {
// Unchanged gaps shorter than this join two runs: a run costs more than a few bytes.
constexpr std::size_t kJoinGap = 16;
constexpr std::size_t kSkipBlock = 64;

const unsigned char *RecordBytes(const ParticleSystem &record)
{
    return reinterpret_cast<const unsigned char *>(&record);
}
}  // namespace

RecordDelta RecordDelta::Between(const ParticleSystem &before, const ParticleSystem &after)
{
    RecordDelta delta;
    const unsigned char *a = RecordBytes(before);
    const unsigned char *b = RecordBytes(after);
    const std::size_t size = sizeof(ParticleSystem);
    std::size_t i = 0;
    while (i < size) {
        // Most of a record is unchanged: pass over equal blocks whole.
        if (i + kSkipBlock <= size && std::memcmp(a + i, b + i, kSkipBlock) == 0) {
            i += kSkipBlock;
            continue;
        }
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        std::size_t end = i + 1;  // one past the last differing byte
        std::size_t j = end;
        while (j < size && j - end < kJoinGap) {
            if (a[j] != b[j])
                end = j + 1;
            ++j;
        }
        Run run;
        run.offset = static_cast<uint32_t>(start);
        run.before.assign(reinterpret_cast<const char *>(a + start), end - start);
        run.after.assign(reinterpret_cast<const char *>(b + start), end - start);
        delta.runs_.push_back(std::move(run));
        i = end;
    }
    return delta;
}

std::size_t RecordDelta::Bytes() const
{
    std::size_t total = 0;
    for (const Run &run : runs_)
        total += run.before.size() + run.after.size() + sizeof(Run);
    return total;
}

void RecordDelta::ApplyBefore(ParticleSystem &record) const
{
    auto *bytes = reinterpret_cast<unsigned char *>(&record);
    for (const Run &run : runs_)
        std::memcpy(bytes + run.offset, run.before.data(), run.before.size());
}

void RecordDelta::ApplyAfter(ParticleSystem &record) const
{
    auto *bytes = reinterpret_cast<unsigned char *>(&record);
    for (const Run &run : runs_)
        std::memcpy(bytes + run.offset, run.after.data(), run.after.size());
}

bool RecordDelta::Touches(std::size_t offset, std::size_t size) const
{
    for (const Run &run : runs_) {
        if (run.offset < offset + size && offset < run.offset + run.before.size())
            return true;
    }
    return false;
}

History::History(std::size_t stepLimit, std::size_t byteLimit)
    : stepLimit_(stepLimit ? stepLimit : 1), byteLimit_(byteLimit)
{
}

void History::Clear()
{
    steps_.clear();
    position_ = 0;
    savePoint_ = 0;
    bytes_ = 0;
}

void History::Push(std::string name, RecordDelta delta)
{
    if (delta.Empty())
        return;
    while (steps_.size() > position_) {
        bytes_ -= steps_.back().delta.Bytes();
        steps_.pop_back();
    }
    // The saved state lay in the steps just dropped: nothing leads back to it.
    if (savePoint_ > static_cast<std::ptrdiff_t>(position_))
        savePoint_ = kNoSavePoint;
    bytes_ += delta.Bytes();
    steps_.push_back({std::move(name), std::move(delta)});
    ++position_;
    // The newest step always stays, whatever it costs.
    while (steps_.size() > 1 && (steps_.size() > stepLimit_ || bytes_ > byteLimit_))
        DropOldest();
}

void History::DropOldest()
{
    bytes_ -= steps_.front().delta.Bytes();
    steps_.pop_front();
    --position_;
    if (savePoint_ != kNoSavePoint)
        savePoint_ = savePoint_ == 0 ? kNoSavePoint : savePoint_ - 1;
}

std::string History::UndoName() const
{
    return CanUndo() ? steps_[position_ - 1].name : std::string();
}

std::string History::RedoName() const
{
    return CanRedo() ? steps_[position_].name : std::string();
}

StepEffect History::EffectOf(const Step &step)
{
    StepEffect effect;
    effect.name = step.name;
    effect.particlesChanged = step.delta.Touches(offsetof(ParticleSystem, particles),
                                                 sizeof(ParticleSystem::particles));
    effect.typesChanged = step.delta.Touches(offsetof(ParticleSystem, typeCount),
                                             sizeof(ParticleSystem::typeCount)) ||
                          step.delta.Touches(offsetof(ParticleSystem, maintype),
                                             sizeof(ParticleSystem::maintype));
    for (int i = 0; i < kMaxParticleTypes && !effect.typesChanged; ++i) {
        effect.typesChanged = step.delta.Touches(offsetof(ParticleSystem, types) + i * sizeof(ParticleType) +
                                                     offsetof(ParticleType, name),
                                                 sizeof(ParticleType::name));
    }
    return effect;
}

bool History::Undo(ParticleSystem &record, StepEffect *effect)
{
    if (!CanUndo())
        return false;
    const Step &step = steps_[--position_];
    step.delta.ApplyBefore(record);
    if (effect)
        *effect = EffectOf(step);
    return true;
}

bool History::Redo(ParticleSystem &record, StepEffect *effect)
{
    if (!CanRedo())
        return false;
    const Step &step = steps_[position_++];
    step.delta.ApplyAfter(record);
    if (effect)
        *effect = EffectOf(step);
    return true;
}

void History::MarkSavePoint()
{
    savePoint_ = static_cast<std::ptrdiff_t>(position_);
}

bool History::AtSavePoint() const
{
    return savePoint_ == static_cast<std::ptrdiff_t>(position_);
}
