// The manager and renderer hosts, driven with test plug-ins.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "EditorTestSupport.h"
#include "uParticleMan.h"
#include "uRender.h"
#include "uWindowSystem.h"

namespace {
// Plug-in reports shown as the main window shows them.
THostWarning BoxWarning()
{
    return [](const QString &text, const QString &caption) {
        ShowMessageBox(nullptr, text, caption, TMsgIcon::Warning);
    };
}
}  // namespace

class HostTests : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetPluginDirectory(QString()); }

    void pluginPatternIgnoresCaseAndNeedsBothEnds()
    {
        const QString prefix = ManagerFilePrefix(), suffix = ManagerFileSuffix();
        QVERIFY(MatchesPluginPattern("embTarnParticleMan.so", prefix, suffix));
        QVERIFY(MatchesPluginPattern("EMBXMAN.SO", prefix, suffix));
        QVERIFY(MatchesPluginPattern("embMan.so", prefix, suffix));  // the wildcard may be empty
        QVERIFY(!MatchesPluginPattern("embAn.so", prefix, suffix));  // ends may not overlap
        QVERIFY(!MatchesPluginPattern("libembXMan.so", prefix, suffix));
        QVERIFY(!MatchesPluginPattern("embXMan.so.1", prefix, suffix));
        QVERIFY(!MatchesPluginPattern("embXMan.dll", prefix, suffix));
    }

    void fileExtensionLooksAtTheFileNameOnly()
    {
        QCOMPARE(FileExtension("/a/b/effect.NBS"), QString(".NBS"));
        QCOMPARE(FileExtension("/a/b.dir/effect"), QString());
        QCOMPARE(FileExtension("C:\\x.y\\effect.nbs"), QString(".nbs"));
        QCOMPARE(FileExtension("archive.tar.gz"), QString(".gz"));
    }

    void managersLoadInNameOrderAndBadOnesAreReportedOnce()
    {
        TManagerHost managers;
        SetPluginDirectory(FakePlugins("hosts"));
        MessageCatcher catcher;
        managers.Load(PluginDirectory(), BoxWarning());

        QCOMPARE(catcher.Texts(), QStringList({"embBadMan.so is not a valid ParticleMan extension!",
                                               "Failed to load library: embJunkMan.so"}));
        for (const TMessageRecord &m : catcher.messages) {
            QCOMPARE(m.caption, QString("Sparkwright"));
            QCOMPARE(m.icon, TMsgIcon::Warning);
        }
        // The library after the incomplete one takes its slot.
        QCOMPARE(managers.Count(), 2);
        QCOMPARE(managers[0].fileName, QString("embAlphaMan.so"));
        QCOMPARE(managers[1].fileName, QString("embBetaMan.so"));
        QCOMPARE(managers[0].title, QString("Alpha Particle"));
        QCOMPARE(managers[0].isText, uint8_t(1));
        QCOMPARE(managers[1].isText, uint8_t(0));  // 0x100: only the low byte counts
        QCOMPARE(QString(managers[1].userParmNames[7]), QString("Beta Particle 7"));
        QVERIFY(managers[2].module == nullptr);

        QCOMPARE(managers.FilterText(),
                 QString("Alpha Particles (*.alp)|*.alp|Beta Particles (*.bet)|*.bet"));
        QCOMPARE(managers.ListLine(0), QString("Alpha Particle [embAlphaMan.so]"));
        QCOMPARE(managers.ListLine(1), QString("Beta Particle [embBetaMan.so]"));
        QCOMPARE(managers.ListLine(2), QString());

        QCOMPARE(managers.ForExtension(".ALP"), 0);
        QCOMPARE(managers.ForExtension(".bet"), 1);
        QCOMPARE(managers.ForExtension("bet"), -1);
        QCOMPARE(managers.ForExtension(""), -1);

        managers.Unload();
        QVERIFY(managers[0].module == nullptr && managers[1].module == nullptr);
    }

    void noManagersGiveAnEmptyFilterAndNoMessage()
    {
        TManagerHost managers;
        SetPluginDirectory(FakePlugins("empty"));
        MessageCatcher catcher;
        managers.Load(PluginDirectory(), BoxWarning());
        QCOMPARE(managers.Count(), 0);
        QCOMPARE(managers.FilterText(), QString());
        QCOMPARE(managers.ForExtension(".alp"), -1);
        QVERIFY(catcher.messages.isEmpty());
    }

    void theTableHoldsThirtyTwoManagersAtMost()
    {
        TManagerHost managers;
        QTemporaryDir dir;
        const QString source = FakePlugins("app") + "/embAlphaMan.so";
        for (int i = 0; i < 33; ++i)
            QVERIFY(QFile::copy(source, dir.filePath(QString("emb%1Man.so").arg(i, 2, 10, QChar('0')))));
        SetPluginDirectory(dir.path());
        MessageCatcher catcher;
        managers.Load(PluginDirectory(), BoxWarning());
        QCOMPARE(managers.Count(), kMaxManagers);
        QCOMPARE(managers[31].fileName, QString("emb31Man.so"));
        QVERIFY(catcher.messages.isEmpty());
    }

    void renderersFillTheirFixedSlots()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        MessageCatcher catcher;
        renderers.Load(PluginDirectory(), BoxWarning());
        QVERIFY(catcher.messages.isEmpty());
        QCOMPARE(renderers[0].fileName, QString("gxOpenGL.so"));
        QCOMPARE(renderers[0].name, QString("Fake GL"));
        QVERIFY(renderers[0].supported);
        // Unsupported: kept loaded and initialised, never offered.
        QVERIFY(renderers[1].module != nullptr);
        QVERIFY(!renderers[1].supported);
        QCOMPARE(RendererLog(renderers, 1), QStringList({"Initialize"}));
        QVERIFY(renderers[2].supported);
    }

    void badRendererLibrariesAreReportedAsErrors()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        MessageCatcher catcher;
        renderers.LoadSlot(0, PluginDirectory(), "gxJunk.so", BoxWarning());
        renderers.LoadSlot(1, PluginDirectory(), "gxBroken.so", BoxWarning());
        renderers.LoadSlot(2, PluginDirectory(), "gxAbsent.so", BoxWarning());
        QCOMPARE(catcher.Texts(), QStringList({"Failed to load library: gxJunk.so",
                                               "\"gxBroken.so\" is not a valid renderer!"}));
        for (const TMessageRecord &m : catcher.messages) {
            QCOMPARE(m.caption, QString("Error"));
            QCOMPARE(m.icon, TMsgIcon::Warning);
        }
        for (int slot = 0; slot < kRendererSlotCount; ++slot) {
            QVERIFY(renderers[slot].module == nullptr);
            QVERIFY(!renderers[slot].supported);
        }
        QCOMPARE(renderers[2].fileName, QString("gxAbsent.so"));
    }

    void forwardersStaySilentUntilADeviceOpens()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        renderers.Load(PluginDirectory(), BoxWarning());
        ClearRendererLog(renderers, 0);
        renderers.UpdateDevice();
        renderers.InputEvent(kInputLeftButtonDown);
        renderers.SetShowGround(true);
        renderers.ApplyDeviceOptions(0, 0, 0, true, true);
        QVERIFY(RendererLog(renderers, 0).isEmpty());

        renderers.Select(0x1234, 0, 320, 200);
        QVERIFY(renderers.DeviceOpen());
        QCOMPARE(RendererLog(renderers, 0), QStringList({"Open window", "Resize 320 200"}));
        ClearRendererLog(renderers, 0);

        // The same renderer again: nothing closes or reopens.
        renderers.Select(0x1234, 0, 320, 200);
        QVERIFY(RendererLog(renderers, 0).isEmpty());

        ParticleSystem record{};
        record.particles = 77;
        renderers.UpdateParticles(&record);
        renderers.InputEvent(kInputRightButtonUp);
        renderers.SetGamedir("/base", "");
        QCOMPARE(RendererLog(renderers, 0),
                 QStringList({"Particles 77", "Textures", "Input 13", "Gamedir [/base] []"}));
    }

    void aFailedOpenLeavesNoDeviceButKeepsTheSlotCurrent()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        renderers.Load(PluginDirectory(), BoxWarning());
        renderers.Select(0x1234, 0, 10, 10);
        ClearRendererLog(renderers, 0);
        renderers.Select(0x1234, 2, 10, 10);
        QCOMPARE(RendererLog(renderers, 0), QStringList({"Close"}));
        QVERIFY(!renderers.DeviceOpen());
        QCOMPARE(renderers.Current(), 2);
        ClearRendererLog(renderers, 2);
        renderers.UpdateDevice();
        renderers.ResizeDevice(5, 5);
        QVERIFY(RendererLog(renderers, 2).isEmpty());

        // The information text still names the current renderer.
        QCOMPARE(renderers.InfoText(),
                 QString("RENDERER:\r\n\r\nName:     Fake D3D9\r\nLibrary:    gxD3D9.so\r\n"
                         "\r\nAdditional Information:\r\nFake information\nsecond line"));

        renderers.Unload();
        QVERIFY(RendererLog(renderers, 2).isEmpty());  // nothing open, so nothing closed
    }

    void optionalPlaybackExportsAreBoundWhenPresent()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        renderers.Load(PluginDirectory(), BoxWarning());
        // Bound where present; a renderer without them loads as before.
        QVERIFY(renderers[0].SetPlayback && renderers[0].StepFrame && renderers[0].RestartEffect &&
                renderers[0].ResetCamera && renderers[0].FrameEffect);
        QVERIFY(renderers[1].module != nullptr);
        QVERIFY(!renderers[1].SetPlayback && !renderers[1].StepFrame && !renderers[1].RestartEffect &&
                !renderers[1].ResetCamera && !renderers[1].FrameEffect);
        const TRendererControl all[] = {TRendererControl::Playback, TRendererControl::Step,
                                        TRendererControl::Restart, TRendererControl::ResetCamera,
                                        TRendererControl::FrameEffect};
        for (TRendererControl c : all)
            QVERIFY(!renderers.Offers(c));  // no device open yet

        // The renderer without them: nothing offered, the calls go nowhere,
        // but the host remembers the playback state.
        renderers.Select(0x1234, 1, 10, 10);
        QVERIFY(renderers.DeviceOpen());
        for (TRendererControl c : all)
            QVERIFY(!renderers.Offers(c));
        ClearRendererLog(renderers, 1);
        renderers.SetPlayback(true, 0.25);
        renderers.StepFrame();
        renderers.RestartEffect();
        renderers.ResetCamera();
        renderers.FrameEffect();
        renderers.UpdateDevice();
        QCOMPARE(RendererLog(renderers, 1), QStringList({"Update"}));
        QVERIFY(renderers.EffectClock().paused);
        QCOMPARE(renderers.EffectClock().speed, 0.25);

        // Switching to one that has them hands the state over at once.
        ClearRendererLog(renderers, 0);
        renderers.Select(0x1234, 0, 10, 10);
        for (TRendererControl c : all)
            QVERIFY(renderers.Offers(c));
        renderers.StepFrame();
        renderers.RestartEffect();
        renderers.ResetCamera();
        renderers.FrameEffect();
        renderers.SetPlayback(false, 4.0);
        QCOMPARE(RendererLog(renderers, 0),
                 QStringList({"Open window", "Resize 10 10", "Playback 1 0.25", "Step", "Restart",
                              "Reset camera", "Frame effect", "Playback 0 4"}));
    }

    void textScaleIsKeptClampedAndHandedToTheNextDevice()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        renderers.Load(PluginDirectory(), BoxWarning());
        QVERIFY(renderers[0].SetTextScale && !renderers[1].SetTextScale);
        QCOMPARE(renderers.TextScale(), 1.0);
        renderers.SetTextScale(2.0);          // before any device: kept
        renderers.Select(0x1234, 1, 10, 10);  // one without the export: no harm
        renderers.SetTextScale(0.5);
        QCOMPARE(renderers.TextScale(), 1.0);
        renderers.SetTextScale(std::nan(""));
        QCOMPARE(renderers.TextScale(), 1.0);
        renderers.SetTextScale(1.5);
        ClearRendererLog(renderers, 0);
        renderers.Select(0x1234, 0, 10, 10);
        renderers.SetTextScale(1.5);  // unchanged: not sent again
        renderers.SetTextScale(100.0);
        QCOMPARE(RendererLog(renderers, 0),
                 QStringList({"Open window", "Resize 10 10", "TextScale 1.5", "TextScale 8"}));
    }

    void prepareReachesOnlyALoadedRendererWithoutADevice()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        renderers.Load(PluginDirectory(), BoxWarning());
        QVERIFY(renderers[0].PrepareDevice && !renderers[1].PrepareDevice);
        ClearRendererLog(renderers, 0);
        ClearRendererLog(renderers, 1);
        renderers.Prepare(0);
        renderers.Prepare(1);  // without the export: nothing to call
        renderers.Prepare(-1);
        renderers.Prepare(kRendererSlotCount);
        renderers.FinishPreparation();
        QCOMPARE(RendererLog(renderers, 0), QStringList({"Prepare"}));
        // On a thread of the host's; opening waits for it to end.
        ClearRendererLog(renderers, 0);
        renderers.Prepare(0);
        renderers.Select(0x1234, 0, 10, 10);
        QCOMPARE(RendererLog(renderers, 0), QStringList({"Prepare", "Open window", "Resize 10 10"}));
        QVERIFY(RendererLog(renderers, 1).isEmpty());
        // With a device open there is nothing left to prepare.
        ClearRendererLog(renderers, 0);
        renderers.Prepare(0);
        renderers.FinishPreparation();
        QVERIFY(RendererLog(renderers, 0).isEmpty());
        // Another renderer's open device is no reason not to; unloading
        // waits for a preparation under way.
        renderers.Select(0x1234, 1, 10, 10);
        QVERIFY(renderers.DeviceOpen());
        ClearRendererLog(renderers, 0);
        renderers.Prepare(0);
        renderers.FinishPreparation();
        QCOMPARE(RendererLog(renderers, 0), QStringList({"Prepare"}));
        renderers.Prepare(0);
        // Unloaded: the slot is empty again.
        renderers.Unload();
        renderers.Prepare(0);
        QVERIFY(!renderers[0].module);
    }

    void unloadClosesTheOpenDeviceFirst()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        renderers.Load(PluginDirectory(), BoxWarning());
        renderers.Select(0x1234, 0, 10, 10);
        ClearRendererLog(renderers, 0);
        // Resolve the log before the library goes away.
        auto log = reinterpret_cast<const char *(*)()>(LibraryExport(renderers[0].module, "FakeRendererLog"));
        TLibraryHandle extra = LoadLibraryFile(FakePlugins("hosts") + "/gxOpenGL.so");
        renderers.Unload();
        QVERIFY(!renderers.DeviceOpen());
        QCOMPARE(QString::fromLatin1(log()), QString("Close\n"));
        FreeLibraryFile(extra);
        for (int slot = 0; slot < kRendererSlotCount; ++slot)
            QVERIFY(renderers[slot].module == nullptr);
    }

    void coloursBecomeComponentsInRedGreenBlueOrder()
    {
        TRendererHost renderers;
        double rgb[3];
        renderers.ColourComponents(8421504, rgb);
        for (double c : rgb)
            QCOMPARE(c, 128 / 255.0);
        renderers.ColourComponents(4605510, rgb);
        for (double c : rgb)
            QCOMPARE(c, 70 / 255.0);
        renderers.ColourComponents(0x0000FF, rgb);  // red lives in the lowest byte
        QCOMPARE(rgb[0], 1.0);
        QCOMPARE(rgb[1], 0.0);
        QCOMPARE(rgb[2], 0.0);
        renderers.ColourComponents(0x123456, rgb);
        QCOMPARE(rgb[0], 0x56 / 255.0);
        QCOMPARE(rgb[2], 0x12 / 255.0);

        // A system colour follows its source: the window layer's palette.
        renderers.ColourComponents(0x80000005, rgb);
        for (double c : rgb)
            QCOMPARE(c, 128 / 255.0);  // no source: a mid grey
        renderers.SetSystemColours(SystemColourValue);
        const QColor base = QApplication::palette().color(QPalette::Base);
        renderers.ColourComponents(0x80000005, rgb);
        QCOMPARE(rgb[0], base.red() / 255.0);
        QCOMPARE(rgb[1], base.green() / 255.0);
        QCOMPARE(rgb[2], base.blue() / 255.0);
    }

    void deviceOptionsCarryTheConvertedColoursAndFlags()
    {
        TRendererHost renderers;
        SetPluginDirectory(FakePlugins("hosts"));
        renderers.Load(PluginDirectory(), BoxWarning());
        renderers.Select(0x1234, 0, 10, 10);
        renderers.ApplyDeviceOptions(8421504, 4605510, 16777215, true, false);
        const double *o = RendererOptions(renderers, 0);
        QVERIFY(o);
        QCOMPARE(o[0], 128 / 255.0);
        QCOMPARE(o[4], 70 / 255.0);
        QCOMPARE(o[8], 1.0);
        QCOMPARE(o[9], 1.0);
        QCOMPARE(o[10], 0.0);
    }
};

int main(int argc, char **argv)
{
    UsePrivateSettingsFolder();
    QApplication app(argc, argv);
    HostTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "hosts_test.moc"
