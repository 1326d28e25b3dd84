// Types into the script pane holding a script of about 100 KB and measures
// the time each keystroke takes to be handled (highlighting, brace and line
// marks, completion), beside a plain text box with the same text, and the
// time of one check of the whole text through the manager.
//
//   QT_QPA_PLATFORM=offscreen script_typing_bench [keystrokes]
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "uParticleMan.h"
#include "uPlatform.h"
#include "uScriptEditor.h"

namespace {

QString HundredKilobyteScript()
{
    QString text = QStringLiteral("\"particles\" \"4000\"\n\"maintype\" \"t0\"\n");
    int k = 0;
    while (text.size() < 100 * 1024) {
        text += QStringLiteral(
                    "\n{\n\t\"name\" \"t%1\"\n\t\"spraytype\" \"t%2\"\n\t\"offset\" \"0 0 %1\"\n"
                    "\t\"startsize\" \"10..20\"\n\t\"lifetime\" \"0.5..1.5\"\n\t\"rendermode\" \"additive\"\n"
                    "\t\"startred\" \"1\"\n\t\"endred\" \"0.25\"\n\t\"gravity\" \"-40\"\n"
                    "\t// a comment line\n}\n")
                    .arg(k % 10)
                    .arg((k + 1) % 10);
        ++k;
    }
    return text;
}

struct Times {
    double mean = 0;
    double median = 0;
    double worst = 0;
};

// Types into the middle of the text, inside a section, one key at a time.
Times Type(QPlainTextEdit *edit, int keystrokes)
{
    QTextCursor cursor(edit->document()->findBlockByNumber(edit->document()->blockCount() / 2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    edit->setTextCursor(cursor);
    edit->setFocus();
    const QString typed = QStringLiteral("\n\t\"lifetime\" \"2..4\"");
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < keystrokes; ++i) {
        const QChar c = typed.at(i % typed.size());
        timer.start();
        if (c == QLatin1Char('\n'))
            QTest::keyClick(edit, Qt::Key_Return);
        else
            QTest::keyClicks(edit, QString(c));
        QCoreApplication::processEvents();  // paints and queued work, but not the check (it waits)
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    Times t;
    for (double v : ms)
        t.mean += v / static_cast<double>(ms.size());
    std::sort(ms.begin(), ms.end());
    t.median = ms[ms.size() / 2];
    t.worst = ms.back();
    return t;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int keystrokes = argc > 1 ? std::max(20, std::atoi(argv[1])) : 300;
    SetPluginDirectory(QStringLiteral(SCRIPT_MANAGER_DIR));
    TManagerHost managers;
    managers.Load(PluginDirectory());
    if (managers.Count() < 1 || !managers[0].CheckMemoryFile) {
        std::fprintf(stderr, "no manager with a check in %s\n", SCRIPT_MANAGER_DIR);
        return 1;
    }
    const TParticleManager &manager = managers[0];
    const QString script = HundredKilobyteScript();

    TScriptEditor pane;
    ScriptCheckServices services;
    services.encode = [](const QString &text) { return text.toLatin1().toStdString(); };
    services.check = [&manager](const std::string &text) {
        std::vector<char> report(1 << 20);
        manager.CheckMemoryFile(text.c_str(), report.data(), static_cast<int32_t>(report.size()));
        return std::string(report.data());
    };
    services.keyList = [&manager] {
        std::vector<char> list(8192);
        manager.GetScriptKeys(list.data(), static_cast<int32_t>(list.size()));
        return std::string(list.data());
    };
    pane.SetServices(services);
    pane.resize(800, 600);
    pane.setPlainText(script);
    pane.show();
    if (!QTest::qWaitForWindowExposed(&pane))
        return 1;

    QElapsedTimer timer;
    timer.start();
    constexpr int kChecks = 20;
    for (int i = 0; i < kChecks; ++i)
        pane.CheckNow();
    const double checkMs = static_cast<double>(timer.nsecsElapsed()) / 1e6 / kChecks;

    const Times pane_ = Type(&pane, keystrokes);
    QPlainTextEdit plain;
    plain.resize(800, 600);
    plain.setPlainText(script);
    plain.show();
    if (!QTest::qWaitForWindowExposed(&plain))
        return 1;
    const Times plain_ = Type(&plain, keystrokes);

    std::printf("script: %lld characters, %d lines; %d keystrokes each\n",
                static_cast<long long>(script.size()), pane.document()->blockCount(), keystrokes);
    std::printf("script pane     per keystroke: mean %.3f ms, median %.3f ms, worst %.3f ms\n", pane_.mean,
                pane_.median, pane_.worst);
    std::printf("plain text box  per keystroke: mean %.3f ms, median %.3f ms, worst %.3f ms\n", plain_.mean,
                plain_.median, plain_.worst);
    std::printf("ratio of means: %.2f\n", pane_.mean / plain_.mean);
    std::printf("check of the whole text after a pause (highlight lookup, report, marks): %.3f ms, %zu "
                "findings\n",
                checkMs, pane.Findings().size());
    return 0;
}
