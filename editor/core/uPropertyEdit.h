// Turning an edited inspector row back into the record: the key table of the
// validation handler and the two pickers behind the ellipsis buttons.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ParticleSystem.h"
#include "uPropertyRows.h"

// The renderer operations the document side announces. Forwarders behind it
// do nothing while no renderer device is open.
class RendererCalls {
public:
    virtual ~RendererCalls() = default;
    virtual void ReallocParticles() = 0;
    virtual void RelinkTypes() = 0;
    virtual void UpdateTextures() = 0;
    virtual void UpdateRendermode() = 0;
    // R_UpdateParticles followed by R_UpdateTextures.
    virtual void UpdateParticles(const ParticleSystem *record) = 0;
};

struct InspectorEditContext {
    ParticleSystem &record;
    const UserParmNames &userNames;
    std::string_view decimalSeparator;
    RendererCalls &renderer;
    bool &recordModified;
    bool documentReady;
};

enum class EditOutcome {
    Ignored,     // no document: nothing happened
    Applied,     // the row was read into the record (or changed nothing by its rules)
    UnknownKey,  // warning text in message, nothing written
    Refused,     // error text in message, nothing written (or, for a colour pair, what
                 // the conversion error left)
};

struct EditResult {
    EditOutcome outcome = EditOutcome::Ignored;
    std::string message;
    // The page's new type-list entry text after a rename.
    std::optional<std::string> typeEntryText;
};

// Current value text of another row of the page (for the colour pairs).
using RowValueLookup = std::function<std::string(std::string_view key)>;

// The validation handler's work for one row: page 0 is the global page, page i
// the type at entry i-1.
EditResult ValidateInspectorEdit(InspectorEditContext &ctx, int page, std::string_view key,
                                 std::string_view value, const RowValueLookup &currentValue);

// Why a text row's value cannot be stored, as a message: a double quote
// (scripts write texts between quotes, without an escape), or more bytes than
// a record text holds. Nothing when it can.
std::optional<std::string> TextValueProblem(std::string_view key, std::string_view value);

// Sprite browser: "sprites/" followed by the chosen file's name without its
// directory; nothing when that does not fit the record's 255 characters.
std::optional<std::string> SpritePathForFile(std::string_view chosenFile);
std::string SpritePathTooLongMessage(std::string_view spritePath);
// Stores a picked sprite in the type of the page and announces it.
bool ApplySpriteChoice(ParticleSystem &record, int page, std::string_view spritePath,
                       RendererCalls &renderer);

// Colour picker.
struct ColourBytes {
    uint8_t red = 255, green = 255, blue = 255;
};
// One channel as a dialog byte: value times 255, rounded, low 8 bits.
uint8_t ChannelByte(double value);
bool IsColourKey(std::string_view key);
// The colour a picker on `key` starts with: the minimums for a first row, the
// maximums for a second row. Nothing when the page shows no type.
std::optional<ColourBytes> ColourPickerPreset(const ParticleSystem &record, int page, std::string_view key);
// The row text of a picked colour.
std::string PickedColourText(ColourBytes colour, std::string_view decimalSeparator);
// Reads a colour pair's two row texts into the start or end channels of the
// page's type; the conversion error text when a piece is not a number.
std::optional<std::string> ApplyColourRows(ParticleSystem &record, int page, bool startColour,
                                           std::string_view first, std::string_view second,
                                           std::string_view decimalSeparator);
