// The playlist files written by the edit panel's "save" button: "PlayLists/<name>.mpl" in the
// program folder, one line per entry ("<artist> - <title>" and CR LF), 8-bit text in the
// locale's encoding. The player never reads them back.
#pragma once

#include <QByteArray>
#include <QString>

// Why `name` cannot name a file in the playlist folder, as a sentence for the user; empty text
// when it can. A name is refused when it holds "/" or a NUL character, is "." or "..", or is
// empty after trimming blanks. Blanks at its ends are kept: they are part of the file name.
QString PlaylistNameProblem(const QString& name);

// The folder of playlist files and the file of one playlist in it.
QString PlaylistFolder(const QString& programFolder);
QString PlaylistFilePath(const QString& programFolder, const QString& name);

// One line of a playlist file, line end included.
QString PlaylistFileLine(const QString& artist, const QString& title);

// The text in the locale's 8-bit encoding (UTF-8 on current systems), without byte order mark.
QByteArray PlaylistFileBytes(const QString& text);

// Replaces the file at `path` with `bytes` in one step: the new file is written beside it and
// renamed over it, so a failed write leaves any earlier file as it was. The folder is not created.
// Returns empty text on success, otherwise why the file could not be written.
QString WritePlaylistFile(const QString& path, const QByteArray& bytes);
