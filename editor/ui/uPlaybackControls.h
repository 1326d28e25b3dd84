// The preview's playback and camera commands: Play/Pause, Step Frame,
// Restart Effect, the speeds 0.1x to 4x, Reset View and Frame Effect, with the
// effect's time and speed in the status bar. The commands themselves are rows
// of the main window's action table, enabled there while the open device's
// renderer offers the optional export each needs; this object does their work
// and keeps what changes with the playback state: the Play/Pause face, the
// checked speed, the speed box and the time shown.
#pragma once

#include <QObject>
#include <functional>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QTimer;
class TRendererHost;

// The window's actions this object serves, speeds slowest first.
struct TPlaybackActions {
    QAction *playPause = nullptr;
    QAction *step = nullptr;
    QAction *restart = nullptr;
    QAction *resetView = nullptr;
    QAction *frameEffect = nullptr;
    QList<QAction *> speeds;
};

class TPlaybackControls : public QObject {
    Q_OBJECT
public:
    // refreshStates re-applies the action table's enabled rules.
    TPlaybackControls(QObject *parent, TRendererHost &host, const TPlaybackActions &actions,
                      std::function<void()> refreshStates);

    QAction *acPlayPause = nullptr;
    QAction *acStep = nullptr;
    QAction *acRestart = nullptr;
    QAction *acResetView = nullptr;
    QAction *acFrameEffect = nullptr;
    QAction *SpeedAction(int index) const;
    QComboBox *cbSpeed = nullptr;  // for the toolbar
    QLabel *lblTime = nullptr;     // for the status bar

    void TogglePlay();
    void Step();
    void Restart();
    void ResetView();
    void FrameEffect();
    void SetSpeedIndex(int index);
    // Frames the effect once it has run for a second: a document just opened
    // shows its effect filling the view.
    void FrameWhenUnderway();
    // Enabled states, the Play/Pause face and the status text, from the host.
    void Refresh();

private:
    TRendererHost &host_;
    std::function<void()> refreshStates_;
    QActionGroup *speeds_ = nullptr;
    QTimer *refresh_ = nullptr;
    bool frameArmed_ = false;
};
