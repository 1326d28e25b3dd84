// Text rules of the editor that need no window: the application title, the
// file-dialog filters made from the managers' filter texts, script text as
// lines, and file extensions. Plain Qt Core, so they can be fuzzed alone.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "uTextEncoding.h"

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
// Reads a file as 8-bit text lines, one character a byte (Latin-1), so that
// the lines carry the file's bytes unchanged; empty when it cannot be read.
QStringList ReadTextFileLines(const QString &path);

// A record or script text for the screen: UTF-8 where its bytes are valid
// UTF-8, Latin-1 otherwise. Never a substitute character.
QString TextFromBytes(std::string_view bytes);
// The bytes of a text in the character set it was shown in; text that Latin-1
// cannot hold is written as UTF-8 rather than replaced.
std::string BytesFromText(const QString &text, TextEncoding shownAs);
// The bytes of an edited field: the original bytes when the text still shows
// them, else the text in the document's character set.
std::string BytesForEditedText(const QString &text, std::string_view originalBytes,
                               TextEncoding documentEncoding);
// A script for the pane, line by line: each line is shown as UTF-8 where its
// bytes are valid UTF-8, else as Latin-1, so that a file mixing the two shows
// every line readably. Lines end at '\n'.
QString ScriptTextFromBytes(std::string_view bytes);
// The pane's text as bytes: a line that still shows a line of the bytes the
// pane was filled with goes back as those bytes; a line typed anew is written
// in the character set of those bytes (UTF-8 where all were valid UTF-8).
std::string ScriptBytesFromText(const QString &text, std::string_view shownBytes);
// The bytes that Latin-1 lines (ReadTextFileLines) carry.
std::string LineBytes(const QString &latin1Text);
QString LinesFromBytes(std::string_view bytes);

// The extension of a path's file-name part with its dot; empty when it has none.
QString FileExtension(const QString &path);

// The message for a file named on the command line that is not there (or is
// a folder).
QString MissingCommandLineFileMessage(const QString &path, bool isFolder);
