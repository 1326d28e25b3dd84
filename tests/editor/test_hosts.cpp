// The manager and renderer hosts, driven with test plug-ins.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "EditorTestSupport.h"
#include "uParticleMan.h"
#include "uRender.h"

class HostTests : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        SetPlayback(false, 1.0);
        UnloadHosts();
        SetPluginDirectory(QString());
    }

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
        SetPluginDirectory(FakePlugins("hosts"));
        MessageCatcher catcher;
        LoadManagers(nullptr);

        QCOMPARE(catcher.Texts(), QStringList({"embBadMan.so is not a valid ParticleMan extension!",
                                               "Failed to load library: embJunkMan.so"}));
        for (const TMessageRecord &m : catcher.messages) {
            QCOMPARE(m.caption, QString("Sparkwright"));
            QCOMPARE(m.icon, TMsgIcon::Warning);
        }
        // The library after the incomplete one takes its slot.
        QCOMPARE(ManagerCount, 2);
        QCOMPARE(ManagerTable[0].fileName, QString("embAlphaMan.so"));
        QCOMPARE(ManagerTable[1].fileName, QString("embBetaMan.so"));
        QCOMPARE(ManagerTable[0].title, QString("Alpha Particle"));
        QCOMPARE(ManagerTable[0].isText, uint8_t(1));
        QCOMPARE(ManagerTable[1].isText, uint8_t(0));  // 0x100: only the low byte counts
        QCOMPARE(QString(ManagerTable[1].userParmNames[7]), QString("Beta Particle 7"));
        QVERIFY(ManagerTable[2].module == nullptr);

        QCOMPARE(ManagerFilterText(),
                 QString("Alpha Particles (*.alp)|*.alp|Beta Particles (*.bet)|*.bet"));
        QCOMPARE(ManagerListLine(0), QString("Alpha Particle [embAlphaMan.so]"));
        QCOMPARE(ManagerListLine(1), QString("Beta Particle [embBetaMan.so]"));
        QCOMPARE(ManagerListLine(2), QString());

        QCOMPARE(ManagerForExtension(".ALP"), 0);
        QCOMPARE(ManagerForExtension(".bet"), 1);
        QCOMPARE(ManagerForExtension("bet"), -1);
        QCOMPARE(ManagerForExtension(""), -1);

        UnloadManagers();
        QVERIFY(ManagerTable[0].module == nullptr && ManagerTable[1].module == nullptr);
    }

    void noManagersGiveAnEmptyFilterAndNoMessage()
    {
        SetPluginDirectory(FakePlugins("empty"));
        MessageCatcher catcher;
        LoadManagers(nullptr);
        QCOMPARE(ManagerCount, 0);
        QCOMPARE(ManagerFilterText(), QString());
        QCOMPARE(ManagerForExtension(".alp"), -1);
        QVERIFY(catcher.messages.isEmpty());
    }

    void theTableHoldsThirtyTwoManagersAtMost()
    {
        QTemporaryDir dir;
        const QString source = FakePlugins("app") + "/embAlphaMan.so";
        for (int i = 0; i < 33; ++i)
            QVERIFY(QFile::copy(source, dir.filePath(QString("emb%1Man.so").arg(i, 2, 10, QChar('0')))));
        SetPluginDirectory(dir.path());
        MessageCatcher catcher;
        LoadManagers(nullptr);
        QCOMPARE(ManagerCount, kMaxManagers);
        QCOMPARE(ManagerTable[31].fileName, QString("emb31Man.so"));
        QVERIFY(catcher.messages.isEmpty());
    }

    void renderersFillTheirFixedSlots()
    {
        SetPluginDirectory(FakePlugins("hosts"));
        MessageCatcher catcher;
        LoadRenderers(nullptr);
        QVERIFY(catcher.messages.isEmpty());
        QCOMPARE(RendererTable[0].fileName, QString("gxOpenGL.so"));
        QCOMPARE(RendererTable[0].name, QString("Fake GL"));
        QVERIFY(RendererTable[0].supported);
        // Unsupported: kept loaded and initialised, never offered.
        QVERIFY(RendererTable[1].module != nullptr);
        QVERIFY(!RendererTable[1].supported);
        QCOMPARE(RendererLog(1), QStringList({"Initialize"}));
        QVERIFY(RendererTable[2].supported);
    }

    void badRendererLibrariesAreReportedAsErrors()
    {
        SetPluginDirectory(FakePlugins("hosts"));
        MessageCatcher catcher;
        LoadRenderer(nullptr, 0, "gxJunk.so");
        LoadRenderer(nullptr, 1, "gxBroken.so");
        LoadRenderer(nullptr, 2, "gxAbsent.so");
        QCOMPARE(catcher.Texts(), QStringList({"Failed to load library: gxJunk.so",
                                               "\"gxBroken.so\" is not a valid renderer!"}));
        for (const TMessageRecord &m : catcher.messages) {
            QCOMPARE(m.caption, QString("Error"));
            QCOMPARE(m.icon, TMsgIcon::Warning);
        }
        for (const TEmbRenderer &r : RendererTable) {
            QVERIFY(r.module == nullptr);
            QVERIFY(!r.supported);
        }
        QCOMPARE(RendererTable[2].fileName, QString("gxAbsent.so"));
    }

    void forwardersStaySilentUntilADeviceOpens()
    {
        SetPluginDirectory(FakePlugins("hosts"));
        LoadRenderers(nullptr);
        ClearRendererLog(0);
        UpdateDevice();
        InputEvent(9);
        SetShowGround(true);
        ApplyDeviceOptions(0, 0, 0, true, true);
        QVERIFY(RendererLog(0).isEmpty());

        SelectRenderer(0x1234, 0, 320, 200);
        QVERIFY(DeviceOpen);
        QCOMPARE(RendererLog(0), QStringList({"Open window", "Resize 320 200"}));
        ClearRendererLog(0);

        // The same renderer again: nothing closes or reopens.
        SelectRenderer(0x1234, 0, 320, 200);
        QVERIFY(RendererLog(0).isEmpty());

        ParticleSystem record{};
        record.particles = 77;
        UpdateParticles(&record);
        InputEvent(13);
        SetGamedir("/base", "");
        QCOMPARE(RendererLog(0), QStringList({"Particles 77", "Textures", "Input 13", "Gamedir [/base] []"}));
    }

    void aFailedOpenLeavesNoDeviceButKeepsTheSlotCurrent()
    {
        SetPluginDirectory(FakePlugins("hosts"));
        LoadRenderers(nullptr);
        SelectRenderer(0x1234, 0, 10, 10);
        ClearRendererLog(0);
        SelectRenderer(0x1234, 2, 10, 10);
        QCOMPARE(RendererLog(0), QStringList({"Close"}));
        QVERIFY(!DeviceOpen);
        QCOMPARE(CurrentRenderer, 2);
        ClearRendererLog(2);
        UpdateDevice();
        ResizeDevice(5, 5);
        QVERIFY(RendererLog(2).isEmpty());

        // The information box still names the current renderer.
        MessageCatcher catcher;
        ShowRendererInfo(nullptr);
        QCOMPARE(catcher.messages.size(), 1);
        QCOMPARE(catcher.messages[0].caption, QString("Renderer Information"));
        QCOMPARE(catcher.messages[0].icon, TMsgIcon::Information);
        QCOMPARE(catcher.messages[0].text,
                 QString("RENDERER:\r\n\r\nName:     Fake D3D9\r\nLibrary:    gxD3D9.so\r\n"
                         "\r\nAdditional Information:\r\nFake information\nsecond line"));

        UnloadRenderers();
        QVERIFY(RendererLog(2).isEmpty());  // nothing open, so nothing closed
    }

    void optionalPlaybackExportsAreBoundWhenPresent()
    {
        SetPluginDirectory(FakePlugins("hosts"));
        LoadRenderers(nullptr);
        // Bound where present; a renderer without them loads as before.
        QVERIFY(RendererTable[0].SetPlayback && RendererTable[0].StepFrame &&
                RendererTable[0].RestartEffect && RendererTable[0].ResetCamera &&
                RendererTable[0].FrameEffect);
        QVERIFY(RendererTable[1].module != nullptr);
        QVERIFY(!RendererTable[1].SetPlayback && !RendererTable[1].StepFrame &&
                !RendererTable[1].RestartEffect && !RendererTable[1].ResetCamera &&
                !RendererTable[1].FrameEffect);
        const TRendererControl all[] = {TRendererControl::Playback, TRendererControl::Step,
                                        TRendererControl::Restart, TRendererControl::ResetCamera,
                                        TRendererControl::FrameEffect};
        for (TRendererControl c : all)
            QVERIFY(!RendererOffers(c));  // no device open yet

        // The renderer without them: nothing offered, the calls go nowhere,
        // but the host remembers the playback state.
        SelectRenderer(0x1234, 1, 10, 10);
        QVERIFY(DeviceOpen);
        for (TRendererControl c : all)
            QVERIFY(!RendererOffers(c));
        ClearRendererLog(1);
        SetPlayback(true, 0.25);
        StepFrame();
        RestartEffect();
        ResetCamera();
        FrameEffect();
        UpdateDevice();
        QCOMPARE(RendererLog(1), QStringList({"Update"}));
        QVERIFY(EffectClock().paused);
        QCOMPARE(EffectClock().speed, 0.25);

        // Switching to one that has them hands the state over at once.
        ClearRendererLog(0);
        SelectRenderer(0x1234, 0, 10, 10);
        for (TRendererControl c : all)
            QVERIFY(RendererOffers(c));
        StepFrame();
        RestartEffect();
        ResetCamera();
        FrameEffect();
        SetPlayback(false, 4.0);
        QCOMPARE(RendererLog(0), QStringList({"Open window", "Resize 10 10", "Playback 1 0.25",
                                              "Step", "Restart", "Reset camera", "Frame effect",
                                              "Playback 0 4"}));
    }

    void unloadClosesTheOpenDeviceFirst()
    {
        SetPluginDirectory(FakePlugins("hosts"));
        LoadRenderers(nullptr);
        SelectRenderer(0x1234, 0, 10, 10);
        ClearRendererLog(0);
        // Resolve the log before the library goes away.
        auto log = reinterpret_cast<const char *(*)()>(LibraryExport(RendererTable[0].module, "FakeRendererLog"));
        TLibraryHandle extra = LoadLibraryFile(FakePlugins("hosts") + "/gxOpenGL.so");
        UnloadRenderers();
        QVERIFY(!DeviceOpen);
        QCOMPARE(QString::fromLatin1(log()), QString("Close\n"));
        FreeLibraryFile(extra);
        for (const TEmbRenderer &r : RendererTable)
            QVERIFY(r.module == nullptr);
    }

    void coloursBecomeComponentsInRedGreenBlueOrder()
    {
        double rgb[3];
        ColourComponents(8421504, rgb);
        for (double c : rgb)
            QCOMPARE(c, 128 / 255.0);
        ColourComponents(4605510, rgb);
        for (double c : rgb)
            QCOMPARE(c, 70 / 255.0);
        ColourComponents(0x0000FF, rgb);  // red lives in the lowest byte
        QCOMPARE(rgb[0], 1.0);
        QCOMPARE(rgb[1], 0.0);
        QCOMPARE(rgb[2], 0.0);
        ColourComponents(0x123456, rgb);
        QCOMPARE(rgb[0], 0x56 / 255.0);
        QCOMPARE(rgb[2], 0x12 / 255.0);

        // A system colour follows the palette.
        const QColor base = QApplication::palette().color(QPalette::Base);
        ColourComponents(0x80000005, rgb);
        QCOMPARE(rgb[0], base.red() / 255.0);
        QCOMPARE(rgb[1], base.green() / 255.0);
        QCOMPARE(rgb[2], base.blue() / 255.0);
    }

    void deviceOptionsCarryTheConvertedColoursAndFlags()
    {
        SetPluginDirectory(FakePlugins("hosts"));
        LoadRenderers(nullptr);
        SelectRenderer(0x1234, 0, 10, 10);
        ApplyDeviceOptions(8421504, 4605510, 16777215, true, false);
        const double *o = RendererOptions(0);
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

#include "test_hosts.moc"
