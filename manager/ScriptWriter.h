// Writes a ParticleSystem record as particle script text.
#pragma once

#include <cstddef>
#include <string>

#include "ParticleSystem.h"

namespace nbs {

class ScriptSink {
public:
    virtual void Append(const char *text, std::size_t length) = 0;

protected:
    ~ScriptSink() = default;
};

// A caller's buffer: zero-filled first, then filled from the start; a piece
// that would pass the end is cut to the space left.
class BufferSink final : public ScriptSink {
public:
    BufferSink(char *buffer, std::size_t size);
    void Append(const char *text, std::size_t length) override;

private:
    char *buffer_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// Collects the text as it goes to disk: every line feed becomes CR LF.
class FileTextSink final : public ScriptSink {
public:
    void Append(const char *text, std::size_t length) override;
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

// header may be null or empty; carriage returns in it are left out. Reads
// at most ten entries whatever typeCount holds, none for a negative count.
void WriteScript(ScriptSink &sink, const char *header, const ParticleSystem &record);

}  // namespace nbs
