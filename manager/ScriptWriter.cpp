#include "ScriptWriter.h"

#include <cstring>

#include "NumberFormat.h"
#include "ParticleDefaults.h"
#include "ScriptKeys.h"

namespace nbs {

BufferSink::BufferSink(char *buffer, std::size_t size) : buffer_(buffer), size_(size)
{
    std::memset(buffer_, 0, size_);
}

void BufferSink::Append(const char *text, std::size_t length)
{
    const std::size_t room = size_ - used_;
    if (length > room)
        length = room;
    std::memcpy(buffer_ + used_, text, length);
    used_ += length;
}

void FileTextSink::Append(const char *text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\n')
            text_ += '\r';
        text_ += text[i];
    }
}

namespace {

// One key line: indentation, the quoted key, a blank, the quoted value.
class LineWriter {
public:
    explicit LineWriter(ScriptSink &sink) : sink_(sink) {}

    void SetIndentLevel(int level) { indentLevel_ = level; }

    void Raw(const char *text) { sink_.Append(text, std::strlen(text)); }

    void Text(const char *key, const char *value, std::size_t valueLength)
    {
        Begin(key);
        Put(value, valueLength);
        End();
    }

    void Text(const char *key, const char (&value)[kParticleTextSize])
    {
        Text(key, value, TextLength(value));
    }

    void Integer(const char *key, int32_t value)
    {
        Begin(key);
        length_ += FormatInteger(value, line_ + length_);
        End();
    }

    void Range(const char *key, const ParamRange &range)
    {
        Begin(key);
        length_ += FormatReal(range.min, line_ + length_);
        if (!IsSingleValue(range)) {
            Put("..", 2);
            length_ += FormatReal(range.max, line_ + length_);
        }
        End();
    }

    void Vector(const char *key, const ParamVector &vector)
    {
        Begin(key);
        length_ += FormatReal(vector.x, line_ + length_);
        Put(" ", 1);
        length_ += FormatReal(vector.y, line_ + length_);
        Put(" ", 1);
        length_ += FormatReal(vector.z, line_ + length_);
        End();
    }

private:
    void Begin(const char *key)
    {
        length_ = 0;
        for (int i = 0; i < indentLevel_; ++i)
            line_[length_++] = '\t';
        Put("\"", 1);
        Put(key, std::strlen(key));
        Put("\" \"", 3);
    }

    void End()
    {
        Put("\"\n", 2);
        sink_.Append(line_, length_);
    }

    void Put(const char *text, std::size_t length)
    {
        std::memcpy(line_ + length_, text, length);
        length_ += length;
    }

    ScriptSink &sink_;
    int indentLevel_ = 0;
    // Longest line: a tab, a 14-letter key, four quotes, a blank, a
    // 255-character text and the line feed; or three numbers.
    char line_[1024];
    std::size_t length_ = 0;
};

void WriteSection(LineWriter &out, const ParticleType &type)
{
    out.Text("name", type.name);
    for (const SectionKey &key : kSectionKeys) {
        switch (key.kind) {
        case KeyKind::Text:
            if ((type.*key.text).present)
                out.Text(key.key, (type.*key.text).text);
            break;
        case KeyKind::RenderMode:
        case KeyKind::DrawCondition:
        case KeyKind::KillCondition:
            if ((type.*key.text).present) {
                const char *word = WordForName(key.kind, (type.*key.text).text);
                out.Text(key.key, word, std::strlen(word));
            }
            break;
        case KeyKind::Vector:
            if (type.offset.present)
                out.Vector(key.key, type.offset);
            break;
        case KeyKind::Range:
            if ((type.*key.range).present)
                out.Range(key.key, type.*key.range);
            break;
        }
    }
}

}  // namespace

void WriteScript(ScriptSink &sink, const char *header, const ParticleSystem &record)
{
    if (header != nullptr && header[0] != '\0') {
        for (const char *p = header; *p != '\0'; ++p) {
            if (*p != '\r')
                sink.Append(p, 1);
        }
        sink.Append("\n", 1);
    }

    LineWriter out(sink);
    out.SetIndentLevel(0);
    out.Integer("particles", record.particles);
    out.Text("maintype", record.maintype);
    if (record.attachment.present)
        out.Integer("attachment", record.attachment.value);

    out.SetIndentLevel(1);
    const int32_t count = UsedTypeCount(record);
    for (int32_t k = 0; k < count; ++k) {
        out.Raw("\n{\n");
        WriteSection(out, record.types[k]);
        out.Raw("}\n");
    }
}

}  // namespace nbs
