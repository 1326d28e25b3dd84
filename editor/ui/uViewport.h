// The viewport panel: a widget with a native window of its own that the
// renderer draws into, and the hidden edit that takes its keys.
#pragma once

#include <QLineEdit>
#include <QWidget>

// Renderer input codes of a key; 0 for keys the viewport does not use.
int ViewportKeyCode(int key, bool keypad);

class TViewport : public QWidget {
    Q_OBJECT
public:
    explicit TViewport(QWidget *parent);
    QPaintEngine *paintEngine() const override { return nullptr; }

signals:
    void MouseDown(Qt::MouseButton button);
    void MouseUp(Qt::MouseButton button, bool inside);
    void MouseMove();
    void Resized();
    void FilesDropped(const QStringList &files);  // local files dropped on the preview

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *) override {}
};

// The tiny read-only edit that holds keyboard focus for the viewport.
class TKeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TKeyEdit(QWidget *parent);

signals:
    void ViewportKey(int code);
    void PlayPauseKey();  // Space

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
