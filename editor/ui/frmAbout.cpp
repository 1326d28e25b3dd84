#include "frmAbout.h"

#include <cmath>
#include <cstdint>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "uDialogPrompts.h"
#include "uMessages.h"
#include "uVersion.h"

namespace {

QFont VerdanaFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel *MakeLabel(QWidget *parent, const QString &text, const QColor &colour, const QFont &font,
                  const QRect &geometry, Qt::Alignment alignment)
{
    auto *label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

}  // namespace

QImage TAboutBox::Picture()
{
    // A fountain of sparks over a night gradient, seeded so it never changes.
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setPen(Qt::NoPen);

    uint32_t seed = 229;
    auto next = [&seed] {
        seed = seed * 214013u + 2531011u;
        return static_cast<double>((seed >> 16) & 0x7FFF) / 32767.0;
    };
    const QPointF source(160, 210);
    for (int i = 0; i < 420; ++i) {
        const double angle = (-90.0 + (next() - 0.5) * 70.0) * M_PI / 180.0;
        const double speed = 60.0 + next() * 110.0;
        const double t = next() * 1.6;
        const QPointF at(source.x() + std::cos(angle) * speed * t,
                         source.y() + std::sin(angle) * speed * t + 45.0 * t * t);
        const double life = 1.0 - t / 1.6;
        const double radius = 1.5 + 5.0 * (1.0 - life);
        QRadialGradient glow(at, radius);
        const int hue = static_cast<int>(90 + 80 * next()) % 360;
        QColor core = QColor::fromHsv(hue, 200, 255);
        core.setAlphaF(0.35 + 0.5 * life);
        glow.setColorAt(0.0, core);
        glow.setColorAt(1.0, QColor(0, 0, 0, 0));
        painter.setBrush(glow);
        painter.drawEllipse(at, radius, radius);
    }
    painter.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
}

TAboutBox::TAboutBox(QWidget *owner) : QDialog(owner)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("About ") + ApplicationTitle());
    setFixedSize(352, 492);
    if (owner)
        setWindowIcon(owner->windowIcon());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    const QColor lime(0, 255, 0), silver(192, 192, 192), aqua(0, 255, 255);

    ProgramIcon_ = new QLabel(this);
    const QPixmap picture = QPixmap::fromImage(Picture());
    ProgramIcon_->setPixmap(picture);
    ProgramIcon_->setGeometry(16, 12, picture.width(), picture.height());

    ProductName_ = MakeLabel(this, ApplicationTitle(), lime, VerdanaFont(19, true), QRect(0, 262, 352, 28),
                             Qt::AlignHCenter | Qt::AlignVCenter);
    Version_ = MakeLabel(this, QString::fromStdString(VersionLine(ProgramFileVersion())), lime,
                         VerdanaFont(9), QRect(0, 292, 352, 14), Qt::AlignHCenter | Qt::AlignVCenter);
    Comments_ =
        MakeLabel(this,
                  tr("An editor for particle-effect scripts: shape fountains, smoke and sparks in the "
                     "property inspector or as script text, watch them play live in the viewport, and "
                     "save them for your game."),
                  lime, VerdanaFont(13), QRect(16, 312, 320, 82), Qt::AlignHCenter | Qt::AlignTop);
    Comments_->setWordWrap(true);

    const QString captions[] = {tr("BRINDLE WORKS ON WEB:"), tr("OUR E-MAIL ADRESS:"),
                                tr("TECHNICAL SUPPORT:")};
    const QString addresses[] = {QString::fromLatin1(Contacts::kWebSiteText),
                                 QString::fromLatin1(Contacts::kEmail),
                                 QString::fromLatin1(Contacts::kForumText)};
    const QString hints[] = {tr("Visit Brindle Works web site"), tr("Send email for Brindle Works"),
                             tr("Visit our board for help and support")};
    QLabel **links[] = {&WebLink_, &EmailLink_, &ForumLink_};
    QFont linkFont = VerdanaFont(11);
    linkFont.setUnderline(true);
    for (int row = 0; row < 3; ++row) {
        const int y = 400 + row * 17;
        MakeLabel(this, captions[row], silver, VerdanaFont(11), QRect(6, y, 150, 16),
                  Qt::AlignLeft | Qt::AlignVCenter);
        QLabel *link = MakeLabel(this, addresses[row], aqua, linkFont, QRect(158, y, 190, 16),
                                 Qt::AlignLeft | Qt::AlignVCenter);
        link->setCursor(Qt::PointingHandCursor);
        link->setToolTip(hints[row]);
        link->installEventFilter(this);
        *links[row] = link;
    }

    OKButton_ = new QPushButton(tr("OK"), this);
    OKButton_->setGeometry(0, 464, 352, 28);
    OKButton_->setDefault(true);
    OKButton_->setToolTip(tr("Hide About window"));
    connect(OKButton_, &QPushButton::clicked, this, &QDialog::accept);
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == WebLink_) {
            Prompts::OpenUrl(QUrl(QString::fromLatin1(Contacts::kWebSite)));
            return true;
        }
        if (watched == EmailLink_) {
            Prompts::OpenUrl(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(Contacts::kEmail)));
            return true;
        }
        if (watched == ForumLink_) {
            Prompts::OpenUrl(QUrl(QString::fromLatin1(Contacts::kForum)));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    setWindowOpacity(0.0);
    // Run the fade once the box is up, the moment a window manager would
    // activate it; without one no activation ever arrives.
    QTimer::singleShot(0, this, &TAboutBox::FadeIn);
}

void TAboutBox::FadeIn()
{
    if (fading_)
        return;
    fading_ = true;
    fadeSteps_ = 0;
    // showEvent left the box fully transparent; 51 rises of 5 reach 255.
    for (int alpha = 5; alpha <= 255 && isVisible(); alpha += 5) {
        setWindowOpacity(alpha / 255.0);
        ++fadeSteps_;
        QThread::msleep(5);
        QCoreApplication::processEvents();
    }
    setWindowOpacity(1.0);
    fading_ = false;
}

void RunAboutBox(QWidget *owner, QTimer *frameTimer)
{
    if (frameTimer)
        frameTimer->stop();
    {
        TAboutBox box(owner);
        ExecDialog(&box);
    }
    if (frameTimer)
        frameTimer->start();
}
