// How the editor tells which character set a record text is written in. The
// record and the script files hold plain bytes: a text is shown as UTF-8 when
// its bytes are valid UTF-8 and as Latin-1 otherwise, so every byte sequence
// has a picture on screen and goes back to the same bytes.
#pragma once

#include <string_view>

#include "ParticleSystem.h"

enum class TextEncoding { Utf8, Latin1 };

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
TextEncoding EncodingOf(std::string_view bytes);

// The document's character set: Latin-1 as soon as one used text of the
// record (type names, the main type, every text parameter) is no valid UTF-8,
// else UTF-8. New text typed into the document is written in it.
TextEncoding RecordEncoding(const ParticleSystem &record);
