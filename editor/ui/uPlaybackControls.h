// The preview's playback and camera commands: Play/Pause, Step Frame,
// Restart Effect, the speeds 0.1x to 4x, Reset View and Frame Effect, in the
// Render menu and on the toolbar, with the effect's time and speed in the
// status bar. Each command is enabled only while the open device's renderer
// offers the optional export it needs.
#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;

class TPlaybackControls : public QObject {
    Q_OBJECT
public:
    TPlaybackControls(QObject *parent, QToolBar *toolbar, QMenu *menu, QStatusBar *statusBar);

    QAction *acPlayPause = nullptr;
    QAction *acStep = nullptr;
    QAction *acRestart = nullptr;
    QAction *acResetView = nullptr;
    QAction *acFrameEffect = nullptr;
    QAction *SpeedAction(int index) const;
    QComboBox *cbSpeed = nullptr;
    QLabel *lblTime = nullptr;

    void TogglePlay();
    void SetSpeedIndex(int index);
    // Frames the effect once it has run for a second: a document just opened
    // shows its effect filling the view.
    void FrameWhenUnderway();
    // Enabled states, the Play/Pause face and the status text, from the host.
    void Refresh();

private:
    QActionGroup *speeds_ = nullptr;
    QMenu *mnuSpeed_ = nullptr;
    QTimer *refresh_ = nullptr;
    bool frameArmed_ = false;
};
