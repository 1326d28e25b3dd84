#include "uTextEncoding.h"

#include <cstdint>
#include <cstring>

#include "RecordText.h"

namespace {

// Bytes of the sequence a lead byte opens, with the smallest code point each
// length may carry (anything below is an overlong form); 0 for no lead byte.
int SequenceLength(uint8_t lead, uint32_t &code, uint32_t &smallest)
{
    if (lead < 0x80) {
        code = lead;
        smallest = 0;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        code = lead & 0x1Fu;
        smallest = 0x80;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        code = lead & 0x0Fu;
        smallest = 0x800;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        code = lead & 0x07u;
        smallest = 0x10000;
        return 4;
    }
    return 0;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        uint32_t code = 0;
        uint32_t smallest = 0;
        const int length = SequenceLength(static_cast<uint8_t>(bytes[i]), code, smallest);
        if (length == 0 || bytes.size() - i < static_cast<std::size_t>(length))
            return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

TextEncoding EncodingOf(std::string_view bytes)
{
    return IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Latin1;
}

TextEncoding RecordEncoding(const ParticleSystem &record)
{
    if (!IsValidUtf8(RecordText(record.maintype)))
        return TextEncoding::Latin1;
    for (int i = 0; i < UsedTypeCount(record); ++i) {
        const ParticleType &t = record.types[i];
        const ParamText *texts[] = {&t.sprite,        &t.spraytype,     &t.overlaytype, &t.rendermode,
                                    &t.drawcondition, &t.killcondition, &t.userText1,   &t.userText2};
        if (!IsValidUtf8(RecordText(t.name)))
            return TextEncoding::Latin1;
        for (const ParamText *p : texts)
            if (!IsValidUtf8(RecordText(p->text)))
                return TextEncoding::Latin1;
    }
    return TextEncoding::Utf8;
}
