#include "uPlaybackControls.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStyle>
#include <QTimer>

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

TPlaybackControls::TPlaybackControls(QObject *parent, TRendererHost &host, const TPlaybackActions &actions,
                                     std::function<void()> refreshStates)
    : QObject(parent), host_(host), refreshStates_(std::move(refreshStates))
{
    acPlayPause = actions.playPause;
    acStep = actions.step;
    acRestart = actions.restart;
    acResetView = actions.resetView;
    acFrameEffect = actions.frameEffect;
    acPlayPause->setIcon(StandardIcon(QStyle::SP_MediaPause));
    acStep->setIcon(StandardIcon(QStyle::SP_MediaSkipForward));
    acRestart->setIcon(StandardIcon(QStyle::SP_MediaSeekBackward));

    speeds_ = new QActionGroup(this);
    cbSpeed = new QComboBox;
    cbSpeed->setObjectName(QStringLiteral("cbSpeed"));
    cbSpeed->setToolTip(QStringLiteral("Playback speed"));
    cbSpeed->setFocusPolicy(Qt::NoFocus);  // keys stay with the viewport or the editors
    for (int i = 0; i < actions.speeds.size() && i < kPlaybackSpeedCount; ++i) {
        QAction *speed = actions.speeds[i];
        speed->setCheckable(true);
        speed->setChecked(i == kDefaultSpeedIndex);
        speeds_->addAction(speed);
        cbSpeed->addItem(speed->text().remove(QLatin1Char('&')));
    }
    cbSpeed->setCurrentIndex(kDefaultSpeedIndex);
    connect(cbSpeed, qOverload<int>(&QComboBox::activated), this, [this](int i) { SetSpeedIndex(i); });

    lblTime = new QLabel;
    lblTime->setObjectName(QStringLiteral("lblTime"));

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
    if (!host_.Offers(TRendererControl::Playback))
        return;
    host_.SetPlayback(!host_.EffectClock().paused, host_.EffectClock().speed);
    Refresh();
}

void TPlaybackControls::Step()
{
    if (!host_.EffectClock().paused)
        host_.SetPlayback(true, host_.EffectClock().speed);
    host_.StepFrame();
    Refresh();
}

void TPlaybackControls::Restart()
{
    host_.RestartEffect();
    Refresh();
}

void TPlaybackControls::ResetView()
{
    host_.ResetCamera();
}

void TPlaybackControls::FrameEffect()
{
    frameArmed_ = false;
    host_.FrameEffect();
}

void TPlaybackControls::SetSpeedIndex(int index)
{
    if (index < 0 || index >= kPlaybackSpeedCount)
        return;
    host_.SetPlayback(host_.EffectClock().paused, kPlaybackSpeeds[index]);
    Refresh();
}

void TPlaybackControls::FrameWhenUnderway()
{
    frameArmed_ = true;
}

void TPlaybackControls::Refresh()
{
    if (refreshStates_)
        refreshStates_();
    const bool playback = host_.Offers(TRendererControl::Playback);
    const TEffectClock &clock = host_.EffectClock();
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

    if (frameArmed_ && host_.Offers(TRendererControl::FrameEffect) && clock.seconds >= kFrameAfterSeconds) {
        frameArmed_ = false;
        host_.FrameEffect();
    }
}
