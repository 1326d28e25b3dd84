// Starts the real program on a demo effect and looks at the screen: the
// effect's particles must show up in the viewport and move.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {
// The viewport is cleared to pure blue, with no ground and the overlay text in
// the same blue, so every other pixel inside it is a particle.
constexpr unsigned long kBlue = 0x0000FF;

struct Capture {
    int left = 0, top = 0, right = -1, bottom = -1;  // the blue area
    QVector<unsigned long> pixels;
    int width = 0;
    unsigned long At(int x, int y) const { return pixels[y * width + x]; }
};

Capture Grab(Display *display)
{
    Capture c;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage *image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image)
        return c;
    c.width = attributes.width;
    c.pixels.resize(attributes.width * attributes.height);
    c.left = attributes.width;
    c.top = attributes.height;
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y) & 0xFFFFFF;
            c.pixels[y * c.width + x] = p;
            if (p == kBlue) {
                c.left = std::min(c.left, x);
                c.top = std::min(c.top, y);
                c.right = std::max(c.right, x);
                c.bottom = std::max(c.bottom, y);
            }
        }
    }
    XDestroyImage(image);
    return c;
}

int ParticlePixels(const Capture &c)
{
    int count = 0;
    for (int y = c.top; y <= c.bottom; ++y)
        for (int x = c.left; x <= c.right; ++x)
            count += c.At(x, y) != kBlue;
    return count;
}
}  // namespace

class ScreenTest : public QObject {
    Q_OBJECT
private slots:
    void demoEffectShowsMovingParticles()
    {
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            QSKIP("no X display");
        QTemporaryDir config;
        const QString demo = qEnvironmentVariable("SPARKWRIGHT_DEMO");
        QDir().mkpath(config.filePath("Brindle Works"));
        QFile conf(config.filePath("Brindle Works/EmbEd.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QString("[Settings]\nGameDir=%1/game\nCurrentRenderer=1\nShowGround=0\n"
                           "BgColor=16711680\nTxtColor=16711680\nTextShadow=0\n")
                       .arg(demo)
                       .toUtf8());
        conf.close();

        QProcess editor;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        env.remove("QT_QPA_PLATFORM");
        editor.setProcessEnvironment(env);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(qEnvironmentVariable("SPARKWRIGHT_EMBED"), {demo + "/effects/fountain.nbs"});
        QVERIFY(editor.waitForStarted());

        // Wait for a viewport of a fair size with particles in it.
        Capture first;
        int particles = 0;
        for (int attempt = 0; attempt < 40 && particles < 50; ++attempt) {
            QTest::qWait(250);
            first = Grab(display);
            const bool viewport = first.right - first.left > 200 && first.bottom - first.top > 200;
            particles = viewport ? ParticlePixels(first) : 0;
        }
        QTest::qWait(300);
        const Capture second = Grab(display);
        editor.terminate();
        if (!editor.waitForFinished(5000))
            editor.kill();
        XCloseDisplay(display);

        qInfo("viewport %dx%d, %d particle pixels", first.right - first.left + 1,
              first.bottom - first.top + 1, particles);
        QVERIFY2(first.right - first.left > 200, "no viewport cleared to the background colour");
        QVERIFY2(particles >= 50, qPrintable(QString("only %1 particle pixels").arg(particles)));
        int changed = 0;
        for (int y = first.top; y <= first.bottom; ++y)
            for (int x = first.left; x <= first.right; ++x)
                changed += first.At(x, y) != second.At(x, y);
        qInfo("%d pixels changed between frames", changed);
        QVERIFY2(changed >= 20, qPrintable(QString("only %1 pixels changed between frames").arg(changed)));
    }
};

QTEST_GUILESS_MAIN(ScreenTest)
#include "screen_test.moc"
