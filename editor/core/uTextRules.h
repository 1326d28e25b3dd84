// Text rules of the editor that need no window: the application title, the
// file-dialog filters made from the managers' filter texts, script text as
// lines, and file extensions. Plain Qt Core, so they can be fuzzed alone.
#pragma once

#include <QString>
#include <QStringList>

// The application title: the window caption before a document exists, the
// prefix of later captions and the caption of boxes without one of their own.
QString ApplicationTitle();

// Converts a joined filter text ("Description|*.ext|...") into the name
// filters of a file dialog, one per description-and-pattern pair.
QStringList FilterNameFilters(const QString &filter);

// The extension of the first plain "*.ext" pattern of a name filter, without
// its dot; empty when the filter has none.
QString FilterDefaultSuffix(const QString &nameFilter);

// A script file as lines, the way the script backup keeps it; a final line
// break ends the last line rather than starting an empty one.
QStringList TextLines(const QString &text);
// The lines as one text, each followed by `lineBreak`.
QString LinesText(const QStringList &lines, const QString &lineBreak = QStringLiteral("\n"));
// Reads a file as 8-bit text lines; empty when it cannot be read.
QStringList ReadTextFileLines(const QString &path);

// The extension of a path's file-name part with its dot; empty when it has none.
QString FileExtension(const QString &path);
