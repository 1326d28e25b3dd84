// The Edit Types, New and About dialogs, driven through Qt Test.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "frmAbout.h"
#include "types_fixtures.h"
#include "uDialogPrompts.h"
#include "uEditTypes.h"
#include "uJpegImage.h"
#include "uMessages.h"
#include "uNew.h"

class TypesDialogsTest : public QObject {
    Q_OBJECT

    QList<TMessageRecord> messages;
    TMsgResult answer = TMsgResult::Yes;
    QStringList inputs;  // answers of the input box, taken in turn
    bool inputConfirmed = true;
    QStringList inputPrompts;
    QList<QUrl> opened;

    void SelectRow(TfrmEditTypes &dialog, int row)
    {
        QListWidget *list = dialog.LLV();
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void DoubleClickRow(TfrmEditTypes &dialog, int row)
    {
        QListWidget *list = dialog.LLV();
        const QRect rect = list->visualItemRect(list->item(row));
        // A real double click starts with a press; the view needs it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    QStringList Lines(const TfrmEditTypes &dialog)
    {
        QStringList lines;
        for (const std::string &name : dialog.Names())
            lines << TfrmEditTypes::FromRecordText(name);
        return lines;
    }

    void Fill(TfrmEditTypes &dialog, const std::vector<std::string> &names, int main)
    {
        dialog.SetNames(names);
        dialog.SetMainIndex(main);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

private slots:
    void initTestCase()
    {
        // The offscreen platform cannot fade windows and says so at every step.
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                if (!text.contains(QStringLiteral("does not support setting window opacity")))
                    previous(type, context, text);
            });
    }

    void init()
    {
        messages.clear();
        inputs.clear();
        inputPrompts.clear();
        opened.clear();
        answer = TMsgResult::Yes;
        inputConfirmed = true;
        SetMessageHook([this](const TMessageRecord &message) {
            messages.append(message);
            return answer;
        });
        Prompts::SetInputHandler(
            [this](QWidget *, const QString &caption, const QString &prompt, QString &value) {
                inputPrompts << caption + "|" + prompt + "|" + value;
                if (!inputConfirmed)
                    return false;
                value = inputs.isEmpty() ? QString() : inputs.takeFirst();
                return true;
            });
        Prompts::SetUrlHandler([this](const QUrl &url) {
            opened.append(url);
            return true;
        });
    }

    void editTypesLayout()
    {
        TfrmEditTypes dialog;
        QCOMPARE(dialog.windowTitle(), QString("Edit Types"));
        QCOMPARE(dialog.size(), QSize(345, 289));
        QCOMPARE(dialog.btnAdd()->text(), QString("&Add"));
        QCOMPARE(dialog.btnDelete()->text(), QString("&Delete"));
        QCOMPARE(dialog.btnSetMain()->text(), QString("&Set Main"));
        QCOMPARE(dialog.btnOK()->text(), QString("&OK"));
        QCOMPARE(dialog.btnCancel()->text(), QString("&Cancel"));
        QVERIFY(dialog.btnOK()->isDefault());
        dialog.SetNames({"one"});
        QCOMPARE(dialog.LLV()->visualItemRect(dialog.LLV()->item(0)).height(), 22);
    }

    void addAppendsAndRefusesDuplicatesAndEmptyAnswers()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {"one", "two"}, 0);
        inputs << "spark";
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(Lines(dialog), (QStringList{"one", "two", "spark"}));
        QCOMPARE(inputPrompts.last(), QString("Add Type|Enter new type name:|"));

        inputs << "TWO";
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QString("This type already exists!"));
        QCOMPARE(messages[0].caption, QString("Sparkwright"));
        QCOMPARE(messages[0].icon, TMsgIcon::Warning);

        inputs << "";
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        inputConfirmed = false;
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(Lines(dialog), (QStringList{"one", "two", "spark"}));
        QCOMPARE(messages.size(), 1);

        // Names are taken as typed: spaces count.
        inputConfirmed = true;
        inputs << " one";
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(Lines(dialog).last(), QString(" one"));
    }

    void addStopsAtTenTypes()
    {
        TfrmEditTypes dialog;
        std::vector<std::string> names;
        for (int i = 0; i < 9; ++i)
            names.push_back("t" + std::to_string(i));
        Fill(dialog, names, 0);
        inputs << "tenth"
               << "eleventh";
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(dialog.LLV()->count(), 10);
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(dialog.LLV()->count(), 10);
        QCOMPARE(inputPrompts.size(), 1);  // no box is offered at the limit
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QString("Cannot add type: maximum 10 allowed!"));
    }

    void namesLongerThanTheRecordHoldsAreRefused()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {"one"}, 0);
        inputs << QString(256, 'x');
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(dialog.LLV()->count(), 1);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].text.contains("255"));

        inputs << QString(255, 'x');
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(dialog.LLV()->count(), 2);

        // Names are measured in the bytes of the document's character set:
        // 255 accented letters fit a Latin-1 document but not a UTF-8 one,
        // where every one takes two bytes.
        dialog.SetEncoding(TextEncoding::Latin1);
        inputs << QString(255, QChar(0x00E9));
        DoubleClickRow(dialog, 0);
        QCOMPARE(Lines(dialog)[0], QString(255, QChar(0x00E9)));
        QCOMPARE(dialog.Names()[0], std::string(255, '\xE9'));
        dialog.SetEncoding(TextEncoding::Utf8);
        inputs << QString(128, QChar(0x00E9));
        DoubleClickRow(dialog, 1);
        QCOMPARE(Lines(dialog)[1], QString(255, 'x'));
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[1].text.contains("255 bytes"));

        // Beyond Latin-1 the name is kept in UTF-8, never replaced; a double
        // quote, which a script cannot store in a name, is refused.
        inputs << QStringLiteral("fire\u20AC \u9846\u7C92");
        DoubleClickRow(dialog, 1);
        QCOMPARE(dialog.Names()[1], std::string("fire\xE2\x82\xAC \xE9\xA1\x86\xE7\xB2\x92"));
        inputs << QStringLiteral("say \"hi\"");
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QCOMPARE(dialog.LLV()->count(), 2);
        QCOMPARE(messages.size(), 3);
        QCOMPARE(messages[2].text, QString("Type name cannot contain a double quote (\")!"));
        inputs << QStringLiteral("a\"b");
        DoubleClickRow(dialog, 0);
        QCOMPARE(Lines(dialog)[0], QString(255, QChar(0x00E9)));
        QCOMPARE(messages.size(), 4);
    }

    void untouchedNamesKeepTheirBytes()
    {
        // A Latin-1 name and a UTF-8 name side by side: each shows in its own
        // set and, left alone, goes back byte for byte, whatever the document's set.
        for (TextEncoding set : {TextEncoding::Utf8, TextEncoding::Latin1}) {
            TfrmEditTypes dialog;
            dialog.SetEncoding(set);
            Fill(dialog, {"Flam\xE9", "Fl\xC3\xA4m\xC3\xA9"}, 0);
            QCOMPARE(Lines(dialog),
                     (QStringList{QStringLiteral("Flam\u00E9"), QStringLiteral("Fl\u00E4m\u00E9")}));
            QCOMPARE(dialog.Names(), (std::vector<std::string>{"Flam\xE9", "Fl\xC3\xA4m\xC3\xA9"}));
        }
    }

    void renameByDoubleClick()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {"one", "two", "three"}, 0);
        inputs << "flame";
        DoubleClickRow(dialog, 1);
        QCOMPARE(inputPrompts.size(), 1);
        QCOMPARE(inputPrompts.last(), QString("Rename Type|Enter new type name:|two"));
        QCOMPARE(Lines(dialog), (QStringList{"one", "flame", "three"}));

        // Only the letter case of the same line: allowed.
        inputs << "FLAME";
        DoubleClickRow(dialog, 1);
        QCOMPARE(Lines(dialog)[1], QString("FLAME"));
        QVERIFY(messages.isEmpty());

        // Another line's name, in any case: refused.
        inputs << "Three";
        DoubleClickRow(dialog, 1);
        QCOMPARE(Lines(dialog)[1], QString("FLAME"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QString("This type already exists!"));

        inputs << "";
        DoubleClickRow(dialog, 1);
        inputConfirmed = false;
        DoubleClickRow(dialog, 1);
        QCOMPARE(Lines(dialog), (QStringList{"one", "FLAME", "three"}));
    }

    void deleteAsksAndMovesTheMainMark()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {"one", "two", "three"}, 2);

        // Nothing selected: nothing asked.
        QTest::mouseClick(dialog.btnDelete(), Qt::LeftButton);
        QVERIFY(messages.isEmpty());

        SelectRow(dialog, 0);
        answer = TMsgResult::No;
        QTest::mouseClick(dialog.btnDelete(), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QString("Are you sure to delete type \"one\"?"));
        QCOMPARE(messages[0].icon, TMsgIcon::Question);
        QCOMPARE(messages[0].buttons, TMsgButtons::YesNo);
        QCOMPARE(dialog.LLV()->count(), 3);

        // A line before the main line: the mark stays on the same type.
        answer = TMsgResult::Yes;
        QTest::mouseClick(dialog.btnDelete(), Qt::LeftButton);
        QCOMPARE(Lines(dialog), (QStringList{"two", "three"}));
        QCOMPARE(dialog.MainIndex(), 1);

        // The main line itself: the mark falls back to the first line.
        SelectRow(dialog, 1);
        QTest::mouseClick(dialog.btnDelete(), Qt::LeftButton);
        QCOMPARE(Lines(dialog), QStringList{"two"});
        QCOMPARE(dialog.MainIndex(), 0);

        SelectRow(dialog, 0);
        messages.clear();
        QTest::mouseClick(dialog.btnDelete(), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QString("Cannot delete last type: at least one must exist!"));
        QCOMPARE(dialog.LLV()->count(), 1);
    }

    void deleteAfterTheMainLineKeepsTheMark()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {"one", "two", "three"}, 1);
        SelectRow(dialog, 2);
        QTest::mouseClick(dialog.btnDelete(), Qt::LeftButton);
        QCOMPARE(dialog.MainIndex(), 1);
        QCOMPARE(Lines(dialog), (QStringList{"one", "two"}));
    }

    void setMainNeedsASelection()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {"one", "two"}, 0);
        QTest::mouseClick(dialog.btnSetMain(), Qt::LeftButton);
        QCOMPARE(dialog.MainIndex(), 0);
        SelectRow(dialog, 1);
        QTest::mouseClick(dialog.btnSetMain(), Qt::LeftButton);
        QCOMPARE(dialog.MainIndex(), 1);
    }

    void okWithAnEmptyListKeepsTheDialogOpen()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {}, 0);
        QTest::mouseClick(dialog.btnOK(), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(messages.size(), 1);
        inputs << "first";
        QTest::mouseClick(dialog.btnAdd(), Qt::LeftButton);
        QTest::mouseClick(dialog.btnOK(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void linesArePaintedAsDescribed()
    {
        TfrmEditTypes dialog;
        Fill(dialog, {"alpha", "alpha2"}, 1);
        SelectRow(dialog, 0);
        QListWidget *list = dialog.LLV();
        const QImage shot = list->viewport()->grab().toImage();
        const QRect first = list->visualItemRect(list->item(0));
        const QRect second = list->visualItemRect(list->item(1));
        const int x = first.right() - 4;
        QCOMPARE(QColor(shot.pixel(x, first.top() + 2)), QColor(192, 192, 192));
        QCOMPARE(QColor(shot.pixel(x, first.bottom())), QColor(128, 128, 128));
        QCOMPARE(QColor(shot.pixel(x, second.top() + 2)), list->palette().color(QPalette::Base));
        QCOMPARE(QColor(shot.pixel(first.left(), second.bottom())), QColor(128, 128, 128));

        // The main line is written in bold: more ink than the same text plain.
        auto ink = [&](int row) {
            const QRect r = list->visualItemRect(list->item(row)).adjusted(0, 0, 0, -1);
            const QImage img = list->viewport()->grab(r).toImage();
            int dark = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int xx = 0; xx < img.width(); ++xx)
                    dark += qGray(img.pixel(xx, y)) < 100;
            return dark;
        };
        list->clearSelection();
        dialog.SetNames({"same", "SAME"});
        dialog.SetMainIndex(0);
        const int boldFirst = ink(0), plainSecond = ink(1);
        dialog.SetMainIndex(1);
        QVERIFY(boldFirst > ink(0));
        QVERIFY(ink(1) > plainSecond);
    }

    void executeEditTypesRefusesANameTheRecordCannotHold()
    {
        // A plug-in left a name without its NUL: the list cannot be written back.
        const ParticleSystem defaults = MakeDefaults();
        ParticleSystem rec = MakeDocument({"one"}, "one");
        std::memset(rec.types[0].name, 'w', kParticleTextSize);
        const ParticleSystem before = rec;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<TfrmEditTypes *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::mouseClick(dialog->btnOK(), Qt::LeftButton);
        });
        QVERIFY(!ExecuteEditTypes(nullptr, rec, defaults));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].text.contains("255"));
        QCOMPARE(std::memcmp(&rec, &before, sizeof rec), 0);
    }

    void newDialogListsManagers()
    {
        TfrmNew dialog;
        QCOMPARE(dialog.windowTitle(), QString("New Particle"));
        QCOMPARE(dialog.SelectedIndex(), -1);
        dialog.AddManagerLine("Tarn Nimbus Particle", "embTarnParticleMan.so");
        dialog.AddManagerLine("Other", "embOtherMan.so");
        QCOMPARE(dialog.ListBox1()->item(0)->text(), QString("Tarn Nimbus Particle [embTarnParticleMan.so]"));
        // The line shows whole, without scrolling sideways.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.ListBox1()->fontMetrics().horizontalAdvance(dialog.ListBox1()->item(0)->text()) <
                dialog.ListBox1()->viewport()->width());
        QCOMPARE(dialog.SelectedIndex(), 0);
        dialog.ListBox1()->setCurrentRow(1);
        QCOMPARE(dialog.SelectedIndex(), 1);
        QVERIFY(dialog.btnOK()->isDefault());
    }

    void aboutBoxContents()
    {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QString("About Sparkwright"));
        QCOMPARE(box.size(), QSize(352, 492));
        QCOMPARE(box.Version()->text(), QString("Version 1.0.1.229"));
        QCOMPARE(box.ProductName()->text(), QString("Sparkwright"));
        QCOMPARE(box.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(box.Version()->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        QVERIFY(box.EmailLink()->font().underline());
        QCOMPARE(box.OKButton()->width(), 352);

        const QImage picture = TAboutBox::Picture();
        QCOMPARE(picture.size(), QSize(320, 240));
        QCOMPARE(picture.format(), QImage::Format_Indexed8);
        QVERIFY(picture.colorCount() <= 256);
        QCOMPARE(box.ProgramIcon()->size(), QSize(320, 240));

        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.EmailLink(), Qt::LeftButton);
        QTest::mouseClick(box.WebLink(), Qt::LeftButton);
        QTest::mouseClick(box.ForumLink(), Qt::LeftButton);
        QCOMPARE(opened.size(), 3);
        QCOMPARE(opened[0].toString(), QString("mailto:") + Contacts::kEmail);
        QCOMPARE(opened[1].toString(), QString(Contacts::kWebSite));
        QCOMPARE(opened[2].toString(), QString(Contacts::kForum));
    }

    void aboutBoxFadesInWhileTheFrameTimerStands()
    {
        QTimer frameTimer;
        frameTimer.setInterval(16);
        frameTimer.start();
        bool timerRanWhileShown = true;
        double opacityAtShow = -1, opacityLater = -1;
        int steps = 0;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<TAboutBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            timerRanWhileShown = frameTimer.isActive();
            opacityAtShow = box->windowOpacity();
            for (int waited = 0; box->FadeSteps() < 51 && waited < 5000; waited += 10)
                QTest::qWait(10);
            opacityLater = box->windowOpacity();
            steps = box->FadeSteps();
            QTest::mouseClick(box->OKButton(), Qt::LeftButton);
        });
        RunAboutBox(nullptr, &frameTimer);
        QVERIFY(!timerRanWhileShown);
        QVERIFY(frameTimer.isActive());
        QVERIFY(opacityAtShow < 1.0);
        QCOMPARE(opacityLater, 1.0);
        QCOMPARE(steps, 51);
    }

    void brokenJpegDataGivesANullImage()
    {
        QVERIFY(JpegImage(QByteArray("not a picture")).isNull());
        QVERIFY(JpegImageFromFile(QStringLiteral("/nonexistent/strip.jpg")).isNull());
    }

    void cleanupTestCase()
    {
        SetMessageHook({});
        Prompts::SetInputHandler({});
        Prompts::SetUrlHandler({});
    }
};

QTEST_MAIN(TypesDialogsTest)
#include "types_dialogs_test.moc"
