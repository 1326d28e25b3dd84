#include "uPlaybackControls.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "uEffectClock.h"
#include "uRender.h"

namespace {

constexpr int kRefreshMilliseconds = 100;
constexpr double kFrameAfterSeconds = 1.0;

QIcon StandardIcon(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which);
}

}  // namespace

TPlaybackControls::TPlaybackControls(QObject *parent, QToolBar *toolbar, QMenu *menu,
                                     QStatusBar *statusBar)
    : QObject(parent)
{
    auto make = [this](const char *name, const QString &text, const QString &tip,
                       const QKeySequence &shortcut) {
        auto *action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(tip);
        action->setStatusTip(tip);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        return action;
    };
    acPlayPause = make("acPlayPause", QStringLiteral("&Pause"),
                       QStringLiteral("Pause or play the effect (Space in the viewport)"), {});
    acStep = make("acStep", QStringLiteral("S&tep Frame"),
                  QStringLiteral("Advance the paused effect by one frame"), QKeySequence(Qt::Key_F6));
    acRestart = make("acRestart", QStringLiteral("&Restart Effect"),
                     QStringLiteral("Start the effect again from its first frame"),
                     QKeySequence(Qt::Key_F5));
    acResetView = make("acResetView", QStringLiteral("Reset &View"),
                       QStringLiteral("Put the camera back where it starts"), QKeySequence(Qt::Key_F7));
    acFrameEffect = make("acFrameEffect", QStringLiteral("&Frame Effect"),
                         QStringLiteral("Move the camera so that the particles fill the view"),
                         QKeySequence(Qt::Key_F8));
    acPlayPause->setIcon(StandardIcon(QStyle::SP_MediaPause));
    acStep->setIcon(StandardIcon(QStyle::SP_MediaSkipForward));
    acRestart->setIcon(StandardIcon(QStyle::SP_MediaSeekBackward));

    mnuSpeed_ = new QMenu(QStringLiteral("Sp&eed"));
    mnuSpeed_->setObjectName(QStringLiteral("mnuSpeed"));
    speeds_ = new QActionGroup(this);
    cbSpeed = new QComboBox;
    cbSpeed->setObjectName(QStringLiteral("cbSpeed"));
    cbSpeed->setToolTip(QStringLiteral("Playback speed"));
    cbSpeed->setFocusPolicy(Qt::NoFocus);  // keys stay with the viewport or the editors
    for (int i = 0; i < kPlaybackSpeedCount; ++i) {
        const QString text = QString::fromLatin1(SpeedText(kPlaybackSpeeds[i]).c_str());
        QAction *speed = mnuSpeed_->addAction(text);
        speed->setCheckable(true);
        speed->setChecked(i == kDefaultSpeedIndex);
        speeds_->addAction(speed);
        connect(speed, &QAction::triggered, this, [this, i] { SetSpeedIndex(i); });
        cbSpeed->addItem(text);
    }
    cbSpeed->setCurrentIndex(kDefaultSpeedIndex);
    connect(cbSpeed, qOverload<int>(&QComboBox::activated), this,
            [this](int i) { SetSpeedIndex(i); });

    connect(acPlayPause, &QAction::triggered, this, [this] { TogglePlay(); });
    connect(acStep, &QAction::triggered, this, [this] {
        if (!EffectClock().paused)
            SetPlayback(true, EffectClock().speed);
        StepFrame();
        Refresh();
    });
    connect(acRestart, &QAction::triggered, this, [this] {
        RestartEffect();
        Refresh();
    });
    connect(acResetView, &QAction::triggered, this, [] { ResetCamera(); });
    connect(acFrameEffect, &QAction::triggered, this, [this] {
        frameArmed_ = false;
        FrameEffect();
    });

    if (menu) {
        menu->addSeparator();
        menu->addActions({acPlayPause, acStep, acRestart});
        menu->addMenu(mnuSpeed_);
        menu->addSeparator();
        menu->addActions({acResetView, acFrameEffect});
    }
    if (toolbar) {
        toolbar->addSeparator();
        toolbar->addActions({acPlayPause, acStep, acRestart});
        toolbar->addWidget(cbSpeed);
        toolbar->addActions({acResetView, acFrameEffect});
    }
    lblTime = new QLabel;
    lblTime->setObjectName(QStringLiteral("lblTime"));
    if (statusBar)
        statusBar->addPermanentWidget(lblTime);

    refresh_ = new QTimer(this);
    refresh_->setInterval(kRefreshMilliseconds);
    connect(refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    refresh_->start();
    Refresh();
}

QAction *TPlaybackControls::SpeedAction(int index) const
{
    const QList<QAction *> all = speeds_->actions();
    return index >= 0 && index < all.size() ? all[index] : nullptr;
}

void TPlaybackControls::TogglePlay()
{
    if (!RendererOffers(TRendererControl::Playback))
        return;
    SetPlayback(!EffectClock().paused, EffectClock().speed);
    Refresh();
}

void TPlaybackControls::SetSpeedIndex(int index)
{
    if (index < 0 || index >= kPlaybackSpeedCount)
        return;
    SetPlayback(EffectClock().paused, kPlaybackSpeeds[index]);
    Refresh();
}

void TPlaybackControls::FrameWhenUnderway()
{
    frameArmed_ = true;
}

void TPlaybackControls::Refresh()
{
    const bool playback = RendererOffers(TRendererControl::Playback);
    const TEffectClock &clock = EffectClock();
    acPlayPause->setEnabled(playback);
    acStep->setEnabled(RendererOffers(TRendererControl::Step));
    acRestart->setEnabled(RendererOffers(TRendererControl::Restart));
    acResetView->setEnabled(RendererOffers(TRendererControl::ResetCamera));
    acFrameEffect->setEnabled(RendererOffers(TRendererControl::FrameEffect));
    mnuSpeed_->setEnabled(playback);
    cbSpeed->setEnabled(playback);

    const bool paused = clock.paused;
    if (acPlayPause->property("paused").toBool() != paused || !acPlayPause->property("paused").isValid()) {
        acPlayPause->setProperty("paused", paused);
        acPlayPause->setText(paused ? QStringLiteral("&Play") : QStringLiteral("&Pause"));
        acPlayPause->setIcon(StandardIcon(paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
    }
    for (int i = 0; i < kPlaybackSpeedCount; ++i) {
        if (kPlaybackSpeeds[i] == clock.speed) {
            if (QAction *speed = SpeedAction(i))
                speed->setChecked(true);
            cbSpeed->setCurrentIndex(i);
        }
    }
    lblTime->setText(playback ? QString::fromLatin1(EffectStatusText(clock).c_str()) : QString());

    if (frameArmed_ && RendererOffers(TRendererControl::FrameEffect) &&
        clock.seconds >= kFrameAfterSeconds) {
        frameArmed_ = false;
        FrameEffect();
    }
}
