#include "uViewport.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "RendererApi.h"  // ViewportInput

int ViewportKeyCode(int key, bool keypad)
{
    if (keypad) {
        switch (key) {
        case Qt::Key_8: return kInputMoveForward;
        case Qt::Key_5: return kInputMoveBack;
        case Qt::Key_4: return kInputMoveLeft;
        case Qt::Key_6: return kInputMoveRight;
        default: break;
        }
    }
    switch (key) {
    case Qt::Key_Up: return kInputLookUp;
    case Qt::Key_Down: return kInputLookDown;
    case Qt::Key_Left: return kInputTurnLeft;
    case Qt::Key_Right: return kInputTurnRight;
    default: return 0;
    }
}

TViewport::TViewport(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Viewport"));
    // The renderer draws into this window itself; Qt must not paint over it.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(10, 10);
    setFocusPolicy(Qt::NoFocus);
}

void TViewport::mousePressEvent(QMouseEvent *event)
{
    emit MouseDown(event->button());
}

void TViewport::mouseReleaseEvent(QMouseEvent *event)
{
    emit MouseUp(event->button(), rect().contains(event->position().toPoint()));
}

void TViewport::mouseMoveEvent(QMouseEvent *)
{
    emit MouseMove();
}

void TViewport::resizeEvent(QResizeEvent *)
{
    emit Resized();
}

namespace {
bool HasLocalFiles(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return false;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            return true;
    }
    return false;
}
}  // namespace

void TViewport::dragEnterEvent(QDragEnterEvent *event)
{
    if (HasLocalFiles(event->mimeData()))
        event->acceptProposedAction();
}

void TViewport::dragMoveEvent(QDragMoveEvent *event)
{
    if (HasLocalFiles(event->mimeData()))
        event->acceptProposedAction();
}

void TViewport::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    emit FilesDropped(files);
}

TKeyEdit::TKeyEdit(QWidget *parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("edKeys"));
    setReadOnly(true);
    setFrame(false);
    setFixedSize(9, 13);
    setContextMenuPolicy(Qt::NoContextMenu);
    // Out of sight but able to hold focus, which a hidden widget cannot.
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    setPalette(p);
}

void TKeyEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        emit PlayPauseKey();
    const int code = ViewportKeyCode(event->key(), event->modifiers() & Qt::KeypadModifier);
    if (code != 0)
        emit ViewportKey(code);
    clear();
    event->accept();
}
