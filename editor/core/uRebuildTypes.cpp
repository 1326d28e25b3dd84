#include "uRebuildTypes.h"

#include <cstring>
#include <memory>

#include "AsciiCase.h"
#include "RecordText.h"

bool TypeNameFits(const std::string &name)
{
    return name.size() < static_cast<size_t>(kParticleTextSize);
}

int FindMainTypeIndex(const ParticleSystem &rec)
{
    const std::string mainName(RecordText(rec.maintype));
    int found = 0;
    for (int k = 0; k < UsedTypeCount(rec); ++k)
        if (RecordText(rec.types[k].name) == mainName)
            found = k;
    return found;
}

std::vector<std::string> UsedTypeNames(const ParticleSystem &rec)
{
    std::vector<std::string> names;
    for (int k = 0; k < UsedTypeCount(rec); ++k)
        names.emplace_back(RecordText(rec.types[k].name));
    return names;
}

RebuildTypesResult RebuildTypes(ParticleSystem &rec, const ParticleSystem &defaults,
                                const std::vector<std::string> &names, int mainIndex)
{
    if (names.empty())
        return RebuildTypesResult::EmptyList;
    if (names.size() > static_cast<size_t>(kMaxParticleTypes))
        return RebuildTypesResult::TooManyTypes;
    for (const std::string &name : names)
        if (!TypeNameFits(name))
            return RebuildTypesResult::NameTooLong;

    const int n = static_cast<int>(names.size());
    const int m = UsedTypeCount(rec);
    if (mainIndex < 0 || mainIndex >= n)
        mainIndex = 0;

    // Look names up in the entries as they stood before the dialog. Working in
    // place would lose a type whose name moved to a later position once an
    // earlier position had been overwritten (two names swapped by renames).
    auto before = std::make_unique<ParticleType[]>(kMaxParticleTypes);
    std::memcpy(before.get(), rec.types, sizeof rec.types);

    rec.typeCount = n;
    CopyRecordText(rec.maintype, names[mainIndex]);

    for (int k = 0; k < n; ++k) {
        const std::string &name = names[k];
        // Only used entries count as "the type before": an unused entry may still
        // hold a deleted type, which an added name must not bring back.
        if (!(k < m && RecordText(before[k].name) == name)) {
            const ParticleType *source = &defaults.types[k];
            for (int j = 0; j < m; ++j) {
                if (RecordText(before[j].name) == name) {
                    source = &before[j];
                    break;
                }
            }
            std::memcpy(&rec.types[k], source, sizeof(ParticleType));
        }
        CopyRecordText(rec.types[k].name, name);
    }
    return RebuildTypesResult::Ok;
}

TypeNameProblem CheckTypeName(std::string_view name)
{
    if (name.find('"') != std::string_view::npos)
        return TypeNameProblem::DoubleQuote;
    if (name.size() >= static_cast<size_t>(kParticleTextSize))
        return TypeNameProblem::TooLong;
    return TypeNameProblem::None;
}

bool RenameType(ParticleSystem &rec, int index, std::string_view newName)
{
    const int used = UsedTypeCount(rec);
    if (index < 0 || index >= used || CheckTypeName(newName) != TypeNameProblem::None)
        return false;
    const std::string oldName(RecordText(rec.types[index].name));
    bool nameShared = false;
    for (int k = 0; k < used; ++k)
        nameShared = nameShared ||
                     (k != index && EqualIgnoringAsciiCase(RecordText(rec.types[k].name), oldName));
    // An empty text names no type.
    auto refersToOld = [&](std::string_view reference) {
        if (reference.empty())
            return false;
        return nameShared ? reference == oldName : EqualIgnoringAsciiCase(reference, oldName);
    };

    if (refersToOld(RecordText(rec.maintype)))
        CopyRecordText(rec.maintype, newName);
    for (int k = 0; k < used; ++k) {
        ParticleType &t = rec.types[k];
        for (ParamText *reference : {&t.spraytype, &t.overlaytype})
            if (refersToOld(RecordText(reference->text)))
                CopyRecordText(reference->text, newName);
    }
    CopyRecordText(rec.types[index].name, newName);
    return true;
}
