#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "property_test_support.h"
#include "uScriptSync.h"

namespace {

// A test manager whose script is the record's bytes in hex after a header
// line; it cuts its text at the buffer's size the way a real manager does.
struct FakeManagerState {
    bool failSave = false;
    bool failLoad = false;
    std::vector<int32_t> saveSizes;
    int loads = 0;
    int defaults = 0;
    std::string lastHeader;
} fake;

std::string FakeScript(const char *header, const ParticleSystem &rec)
{
    static const char digits[] = "0123456789abcdef";
    std::string text = "# " + std::string(header ? header : "") + "\n";
    const auto *bytes = reinterpret_cast<const unsigned char *>(&rec);
    for (std::size_t i = 0; i < sizeof rec; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
        if (i % 40 == 39)
            text.push_back('\n');
    }
    return text;
}

int32_t FakeSave(char *buffer, int32_t size, const char *header, const ParticleSystem *rec)
{
    fake.saveSizes.push_back(size);
    fake.lastHeader = header ? header : "";
    if (fake.failSave)
        return 0;
    std::string text = FakeScript(header, *rec);
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    std::memcpy(buffer, text.data(), std::min(text.size(), static_cast<std::size_t>(size)));
    return 1;
}

int32_t FakeLoad(const char *text, ParticleSystem *rec)
{
    ++fake.loads;
    if (fake.failLoad)
        return 0;
    std::string_view t(text);
    if (t.starts_with("#"))
        t.remove_prefix(std::min(t.size(), t.find('\n') + 1));
    std::vector<unsigned char> bytes;
    int pending = -1;
    for (char c : t) {
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0)
            continue;
        if (pending < 0) {
            pending = v;
        } else {
            bytes.push_back(static_cast<unsigned char>(pending * 16 + v));
            pending = -1;
        }
    }
    if (bytes.size() != sizeof *rec)
        return 0;
    std::memcpy(rec, bytes.data(), sizeof *rec);
    return 1;
}

int32_t FakeDefaults(ParticleSystem *rec)
{
    ++fake.defaults;
    *rec = MakeRecord({"default"});
    return 1;
}

struct Message {
    std::string caption, text;
    MessageIcon icon;
};

class FakeView : public ScriptPaneView {
public:
    ScriptSync *sync = nullptr;
    std::string pane;
    std::vector<std::string> typeList;
    std::vector<int> filledPages;
    std::string title = "<Not loaded>";
    std::vector<Message> messages;
    std::string backup;

    std::string PaneText() const override { return pane; }
    void SetPaneText(const std::string &text) override
    {
        pane = text;
        sync->ScriptEditorChange();  // the widget's change signal fires for program changes too
    }
    void FillTypeList(const std::vector<std::string> &names) override { typeList = names; }
    void FillInspector(int page) override { filledPages.push_back(page); }
    void SetManagerTitle(const std::string &t) override { title = t; }
    void ShowMessage(const std::string &caption, const std::string &text, MessageIcon icon) override
    {
        messages.push_back({caption, text, icon});
    }
    std::string ScriptBackupText() const override { return backup; }
    void SetScriptBackup(const std::string &text) override { backup = text; }
};

class ScriptSyncTest : public ::testing::Test {
protected:
    ParticleSystem record = MakeRecord({"emitter", "smoke"});
    ParticleSystem defaults{};
    struct {
        bool recordModified = false, scriptModified = false, documentReady = false;
    } state;
    FakeView view;
    RecordingRenderer renderer;
    ScriptManager manager{FakeSave, FakeLoad, FakeDefaults, "embFakeMan.so", "Fake Particles"};
    ScriptSync sync{{state.recordModified, state.scriptModified, state.documentReady},
                    record,
                    defaults,
                    view,
                    renderer};

    void SetUp() override
    {
        fake = FakeManagerState{};
        view.sync = &sync;
        sync.SetManager(&manager);
        sync.SetHeaderSource([] { return std::string("made by tests"); });
        state.documentReady = true;
    }
    void Type(const std::string &text)
    {
        view.pane = text;
        sync.ScriptEditorChange();
    }
};

}  // namespace

TEST(ScriptText, GrowsTheBufferUntilTheWholeTextFits)
{
    fake = FakeManagerState{};
    ParticleSystem rec = MakeRecord({"a"});
    auto text = GenerateScriptText(FakeSave, "h", rec);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, FakeScript("h", rec));
    ASSERT_GE(fake.saveSizes.size(), 2u);
    EXPECT_EQ(fake.saveSizes[0], 8192);
    EXPECT_EQ(fake.saveSizes[1], 16384);

    // A text of exactly the buffer's size has no room for its NUL.
    const std::string exact = FakeScript("h", rec);
    fake.saveSizes.clear();
    text = GenerateScriptText(FakeSave, "h", rec, exact.size());
    EXPECT_EQ(text, exact);
    EXPECT_EQ(fake.saveSizes.size(), 2u);

    fake.failSave = true;
    EXPECT_FALSE(GenerateScriptText(FakeSave, "", rec));
    EXPECT_FALSE(GenerateScriptText(nullptr, "", rec));
}

TEST(ScriptText, AWriterThatNeverEndsItsTextIsAFailure)
{
    auto endless = [](char *buffer, int32_t size, const char *, const ParticleSystem *) -> int32_t {
        std::memset(buffer, 'x', static_cast<std::size_t>(size));
        return 1;
    };
    ParticleSystem rec{};
    EXPECT_FALSE(GenerateScriptText(endless, "", rec));
}

TEST(ScriptText, LineEnds)
{
    EXPECT_EQ(JoinLinesCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(ToPaneText("a\r\nb\rc\n"), "a\nb\nc\n");
}

TEST_F(ScriptSyncTest, TabSwitchGeneratesOnceAndParsesNothingBack)
{
    state.recordModified = true;  // an inspector edit
    sync.TabChanged(kScriptTab);
    EXPECT_EQ(std::count(fake.saveSizes.begin(), fake.saveSizes.end(), 8192), 1);
    EXPECT_EQ(fake.lastHeader, "made by tests");
    EXPECT_EQ(view.pane, FakeScript("made by tests", record));
    EXPECT_FALSE(state.recordModified);
    EXPECT_FALSE(state.scriptModified);
    EXPECT_TRUE(view.backup.empty());  // generating does not touch the backup

    const std::size_t saves = fake.saveSizes.size();
    sync.TabChanged(kPropertiesTab);
    sync.TabChanged(kScriptTab);
    EXPECT_EQ(fake.loads, 0);
    EXPECT_EQ(fake.saveSizes.size(), saves);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(ScriptSyncTest, LeavingTheScriptTabAfterTypingAppliesTheText)
{
    ParticleSystem edited = MakeRecord({"fire", "ash", "ember"}, "FIRE");
    Type(FakeScript("", edited));
    EXPECT_TRUE(state.scriptModified);
    state.recordModified = true;
    sync.TabChanged(kPropertiesTab);
    EXPECT_EQ(fake.loads, 1);
    EXPECT_EQ(std::memcmp(&record, &edited, sizeof record), 0);
    EXPECT_EQ(renderer.calls, (std::vector<std::string>{"UpdateParticles"}));
    EXPECT_EQ(fake.defaults, 1);
    EXPECT_STREQ(defaults.types[0].name, "default");
    EXPECT_EQ(view.typeList, (std::vector<std::string>{"fire", "ash", "ember"}));
    EXPECT_EQ(view.filledPages, std::vector<int>{0});
    EXPECT_EQ(view.title, "Fake Particles");
    EXPECT_TRUE(view.messages.empty());  // FIRE names fire: letter case is ignored here
    EXPECT_FALSE(state.recordModified);
    EXPECT_FALSE(state.scriptModified);
    EXPECT_TRUE(state.documentReady);
    EXPECT_EQ(view.backup, JoinLinesCrLf(FakeScript("", edited)));
}

TEST_F(ScriptSyncTest, RejectedUpdateKeepsTheTextAndBlocksEdits)
{
    Type("not a script\nat all");
    fake.failLoad = true;
    EXPECT_FALSE(sync.ApplyScript());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].caption, "Error");
    EXPECT_EQ(view.messages[0].text, "Failed to load particles from memory.\r\nManager: embFakeMan.so");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(state.documentReady);
    EXPECT_TRUE(state.scriptModified);
    EXPECT_TRUE(renderer.calls.empty());
    EXPECT_EQ(view.backup, "not a script\r\nat all");

    Type("something else");
    sync.Revert();  // shows the rejected text that Update kept
    EXPECT_EQ(view.pane, "not a script\nat all");
    EXPECT_FALSE(state.scriptModified);

    fake.failLoad = false;
    Type(FakeScript("", record));
    EXPECT_TRUE(sync.ApplyScript());
    EXPECT_TRUE(state.documentReady);
}

TEST_F(ScriptSyncTest, RevertTouchesNeitherRecordNorInspector)
{
    view.backup = "line one\r\nline two";
    const ParticleSystem before = record;
    Type("typed over");
    sync.Revert();
    EXPECT_EQ(view.pane, "line one\nline two");
    EXPECT_FALSE(state.scriptModified);
    sync.TabChanged(kPropertiesTab);
    EXPECT_EQ(fake.loads, 0);
    EXPECT_TRUE(view.filledPages.empty());
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
}

TEST_F(ScriptSyncTest, FailedGenerationKeepsThePane)
{
    view.pane = "old text";
    state.recordModified = true;
    fake.failSave = true;
    sync.TabChanged(kScriptTab);
    EXPECT_EQ(view.pane, "old text");
    EXPECT_FALSE(state.recordModified);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].caption, "Error");
    EXPECT_EQ(view.messages[0].text, "Failed to save particles to memory.\r\nManager: embFakeMan.so");

    sync.SetManager(nullptr);  // no manager loaded: a message, never a crash
    EXPECT_FALSE(sync.RegenerateScript());
    EXPECT_FALSE(sync.ApplyScript());
    EXPECT_EQ(view.messages.size(), 3u);
}

TEST_F(ScriptSyncTest, MissingMainTypeWarnsButTheLoadStands)
{
    ParticleSystem ghost = MakeRecord({"smoke"}, "ghost");
    Type(FakeScript("", ghost));
    EXPECT_TRUE(sync.ApplyScript());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].caption, "Warning");
    EXPECT_EQ(view.messages[0].text, "Main type not defined!");
    EXPECT_TRUE(state.documentReady);
    EXPECT_STREQ(record.maintype, "ghost");
}

TEST_F(ScriptSyncTest, ALongDocumentSurvivesTheRoundTripWhole)
{
    ParticleSystem big = MakeRecord({"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8", "t9"});
    for (int i = 0; i < kMaxParticleTypes; ++i) {
        big.types[i].sprite.present = 1;
        std::memset(big.types[i].sprite.text, 'a' + i, kParticleTextSize - 1);
    }
    record = big;
    state.recordModified = true;
    sync.TabChanged(kScriptTab);
    EXPECT_GT(view.pane.size(), 8192u);
    std::memset(&record, 0, sizeof record);
    EXPECT_TRUE(sync.ApplyScript());  // Update
    EXPECT_EQ(std::memcmp(&record, &big, sizeof record), 0);
}
