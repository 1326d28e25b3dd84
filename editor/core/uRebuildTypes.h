// Rebuilding the record's type entries from an edited list of type names.
// Plain logic: the Edit Types command and its tests call it directly.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ParticleSystem.h"

enum class RebuildTypesResult {
    Ok,
    EmptyList,     // no names: there would be no main type; record untouched
    TooManyTypes,  // more than kMaxParticleTypes names; record untouched
    NameTooLong,   // a name does not fit the 255 characters of the name field; record untouched
};

// Position of the type the dialog marks as main when it opens: the last used
// entry whose name equals maintype exactly, else 0.
int FindMainTypeIndex(const ParticleSystem &rec);

// The used type names of the record, in record order.
std::vector<std::string> UsedTypeNames(const ParticleSystem &rec);

// Makes rec's types follow names: typeCount becomes names.size(), maintype the
// name at mainIndex (0 when out of range). Each entry takes the whole entry of
// the type that carried its name before the call (exact comparison), else the
// entry of the same position in defaults. Entries from names.size() on keep
// their bytes but are no longer used. On any result but Ok, rec is untouched.
RebuildTypesResult RebuildTypes(ParticleSystem &rec, const ParticleSystem &defaults,
                                const std::vector<std::string> &names, int mainIndex);

// True when the name fits a 256-byte text field with its NUL.
bool TypeNameFits(const std::string &name);

// Why a type name cannot be stored. The script format writes a name between
// double quotes and has no escape, so a quote would cut the name on reading.
enum class TypeNameProblem { None, TooLong, DoubleQuote };
TypeNameProblem CheckTypeName(std::string_view name);

// Renames the type at `index` and every reference that named it: the main
// type, and the spray and overlay types of every used type. References are
// matched ignoring ASCII letter case, as the renderer resolves them, unless
// another used type also carries the old name that way; then only exact
// matches follow. False, record untouched, for a bad index or a name that
// cannot be stored.
bool RenameType(ParticleSystem &rec, int index, std::string_view newName);
