#include "uDialogCaption.h"

#include <QFontMetrics>
#include <QStyle>
#include <QWidget>
#include <algorithm>

int CaptionWidth(const QWidget *window)
{
    QFont font = window->font();
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(window->windowTitle());
    // Close, maximise and minimise are about as wide as the bar is high.
    const int bar = std::max(window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 24);
    return text + 3 * bar + 24;
}
