#include "uDocument.h"

#include <memory>

Document::Document() = default;

bool Document::Change(const std::string &stepName, const std::function<void(ParticleSystem &)> &edit)
{
    // On the heap: a record is 32 KB, too much for a handler's stack frame.
    const auto before = std::make_unique<ParticleSystem>(record);
    edit(record);
    return CommitChange(stepName, *before);
}

bool Document::CommitChange(const std::string &stepName, const ParticleSystem &before)
{
    RecordDelta delta = RecordDelta::Between(before, record);
    if (delta.Empty())
        return false;
    history_.Push(stepName, std::move(delta));
    Notify();
    return true;
}

bool Document::Undo(StepEffect *effect)
{
    if (!history_.Undo(record, effect))
        return false;
    Notify();
    return true;
}

bool Document::Redo(StepEffect *effect)
{
    if (!history_.Redo(record, effect))
        return false;
    Notify();
    return true;
}

void Document::StartHistory()
{
    history_.Clear();
    Notify();
}

void Document::MarkSaved()
{
    history_.MarkSavePoint();
    Notify();
}

void Document::ForgetSaved()
{
    history_.ForgetSavePoint();
    Notify();
}

void Document::Notify()
{
    if (listener_)
        listener_();
}
