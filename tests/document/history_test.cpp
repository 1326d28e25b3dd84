#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "property_test_support.h"
#include "uDocument.h"
#include "uHistory.h"
#include "uPropertyEdit.h"
#include "uRebuildTypes.h"

namespace {

bool SameBytes(const ParticleSystem &a, const ParticleSystem &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A document holding a realistic record, with the inspector's edit path.
class DocumentHistory : public ::testing::Test {
protected:
    DocumentHistory()
    {
        doc.record = MakeRecord({"emitter", "smoke", "spark"});
        doc.defaults = MakeRecord({"default"});
        doc.SetListener([this] { ++notices; });
        doc.StartHistory();
        notices = 0;
    }

    bool InspectorEdit(int page, const std::string &key, const std::string &value)
    {
        UserParmNames names{};
        bool recordModified = false;
        return doc.Change(key, [&](ParticleSystem &record) {
            InspectorEditContext ctx{record, names, ".", renderer, recordModified, true};
            ValidateInspectorEdit(ctx, page, key, value, [](std::string_view) { return std::string(); });
        });
    }

    Document doc;
    RecordingRenderer renderer;
    int notices = 0;
};

}  // namespace

TEST_F(DocumentHistory, InspectorEditsUndoAndRedoWithTheirNames)
{
    const auto opened = std::make_unique<ParticleSystem>(doc.record);
    ASSERT_TRUE(InspectorEdit(1, InspectorKey::kGravity, "-2.5"));
    ASSERT_TRUE(InspectorEdit(0, InspectorKey::kParticles, "250"));
    const auto edited = std::make_unique<ParticleSystem>(doc.record);
    EXPECT_EQ(doc.record.types[0].gravity.min, -2.5);
    EXPECT_EQ(doc.record.particles, 250);
    EXPECT_EQ(doc.UndoName(), "Number of Particles");
    EXPECT_EQ(doc.RedoName(), "");
    EXPECT_EQ(notices, 2);

    StepEffect effect;
    ASSERT_TRUE(doc.Undo(&effect));
    EXPECT_EQ(effect.name, "Number of Particles");
    EXPECT_TRUE(effect.particlesChanged);
    EXPECT_FALSE(effect.typesChanged);
    EXPECT_EQ(doc.record.particles, 100);
    EXPECT_EQ(doc.UndoName(), "Gravity");
    EXPECT_EQ(doc.RedoName(), "Number of Particles");
    ASSERT_TRUE(doc.Undo(&effect));
    EXPECT_FALSE(effect.particlesChanged);
    EXPECT_TRUE(SameBytes(doc.record, *opened));
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.Undo());

    ASSERT_TRUE(doc.Redo());
    ASSERT_TRUE(doc.Redo());
    EXPECT_FALSE(doc.Redo());
    EXPECT_TRUE(SameBytes(doc.record, *edited));
}

TEST_F(DocumentHistory, AChangeThatChangesNothingIsNoStep)
{
    ASSERT_TRUE(InspectorEdit(1, InspectorKey::kGravity, "1.5"));
    doc.MarkSaved();
    notices = 0;
    EXPECT_FALSE(InspectorEdit(1, InspectorKey::kGravity, "1.5"));  // the same value again
    doc.Undo();
    doc.Redo();
    notices = 0;
    EXPECT_FALSE(doc.Change("Nothing", [](ParticleSystem &) {}));
    EXPECT_EQ(doc.UndoName(), "Gravity");
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(notices, 0);
}

TEST_F(DocumentHistory, EditTypesAndWholeRecordStepsReportTypeChanges)
{
    // Edit Types: the type list is rebuilt in place.
    ASSERT_TRUE(doc.Change("Edit Types", [&](ParticleSystem &record) {
        ASSERT_EQ(RebuildTypes(record, doc.defaults, {"emitter", "flame"}, 1), RebuildTypesResult::Ok);
    }));
    EXPECT_EQ(doc.record.typeCount, 2);
    // Update, Revert and a reload from disk replace the whole record.
    const ParticleSystem other = MakeRecord({"rain"});
    ASSERT_TRUE(doc.Change("Update", [&](ParticleSystem &record) { record = other; }));
    EXPECT_EQ(doc.UndoName(), "Update");

    StepEffect effect;
    ASSERT_TRUE(doc.Undo(&effect));
    EXPECT_TRUE(effect.typesChanged);
    EXPECT_STREQ(doc.record.types[1].name, "flame");
    EXPECT_STREQ(doc.record.maintype, "flame");
    ASSERT_TRUE(doc.Undo(&effect));
    EXPECT_EQ(effect.name, "Edit Types");
    EXPECT_TRUE(effect.typesChanged);
    EXPECT_EQ(doc.record.typeCount, 3);
    EXPECT_STREQ(doc.record.types[1].name, "smoke");
    ASSERT_TRUE(doc.Redo());
    ASSERT_TRUE(doc.Redo());
    EXPECT_TRUE(SameBytes(doc.record, other));
}

TEST_F(DocumentHistory, ModifiedFollowsTheSavePoint)
{
    EXPECT_FALSE(doc.Modified());
    InspectorEdit(1, InspectorKey::kGravity, "1");
    EXPECT_TRUE(doc.Modified());
    doc.Undo();
    EXPECT_FALSE(doc.Modified()) << "undoing back to the opened state";
    doc.Redo();
    doc.MarkSaved();
    EXPECT_FALSE(doc.Modified());
    InspectorEdit(1, InspectorKey::kGravity, "2");
    EXPECT_TRUE(doc.Modified());
    doc.Undo();
    EXPECT_FALSE(doc.Modified()) << "back at the saved state";
    doc.Undo();
    EXPECT_TRUE(doc.Modified()) << "before the saved state";

    // A new step from before the save point overwrites the way back to it.
    InspectorEdit(1, InspectorKey::kGravity, "3");
    EXPECT_TRUE(doc.Modified());
    EXPECT_FALSE(doc.CanRedo());
    doc.Undo();
    EXPECT_TRUE(doc.Modified());

    doc.StartHistory();
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.CanUndo());
}

TEST(History, KeepsTwoHundredWholeRecordStepsWithinItsBound)
{
    Document doc;
    doc.record = MakeRecord({"a"});
    doc.StartHistory();
    const auto first = std::make_unique<ParticleSystem>(doc.record);
    // Every step rewrites every byte: the worst case for the history's memory.
    for (int i = 0; i < 700; ++i) {
        doc.Change("Fill " + std::to_string(i), [i](ParticleSystem &record) {
            std::memset(static_cast<void *>(&record), i % 2 ? 0x55 : 0xAA, sizeof record);
        });
    }
    EXPECT_GE(doc.history().StepCount(), 200u);
    EXPECT_LT(doc.history().StepCount(), 700u);
    EXPECT_LE(doc.history().Bytes(), History::kDefaultByteLimit);
    std::size_t undone = 0;
    while (doc.Undo())
        ++undone;
    EXPECT_EQ(undone, doc.history().StepCount());
    EXPECT_GE(undone, 200u);
    // The oldest steps were dropped: the opened state is out of reach, and
    // so the document cannot claim to be unmodified.
    EXPECT_FALSE(SameBytes(doc.record, *first));
    EXPECT_TRUE(doc.Modified());
}

TEST(History, SmallStepsCostFewBytesAndTheStepLimitHolds)
{
    History history(250, 1u << 30);
    ParticleSystem record{};
    for (int i = 1; i <= 1000; ++i) {
        const ParticleSystem before = record;
        record.particles = i;
        history.Push("Number of Particles", RecordDelta::Between(before, record));
    }
    EXPECT_EQ(history.StepCount(), 250u);
    EXPECT_LT(history.Bytes(), 250u * 200u);
    while (history.Undo(record)) {
    }
    EXPECT_EQ(record.particles, 750);
}

TEST(RecordDelta, RestoresBothSidesExactly)
{
    ParticleSystem a = MakeRecord({"one", "two"});
    ParticleSystem b = a;
    b.particles = 7;
    b.types[1].gravity.max = 9.0;  // far from the first change: two runs
    std::strcpy(b.types[9].name, "x");
    const RecordDelta delta = RecordDelta::Between(a, b);
    EXPECT_FALSE(delta.Empty());
    EXPECT_LT(delta.Bytes(), 400u);
    ParticleSystem c = a;
    delta.ApplyAfter(c);
    EXPECT_TRUE(SameBytes(c, b));
    delta.ApplyBefore(c);
    EXPECT_TRUE(SameBytes(c, a));
    EXPECT_TRUE(RecordDelta::Between(a, a).Empty());
    EXPECT_TRUE(delta.Touches(offsetof(ParticleSystem, particles), 4));
    EXPECT_FALSE(delta.Touches(offsetof(ParticleSystem, maintype), kParticleTextSize));
}
