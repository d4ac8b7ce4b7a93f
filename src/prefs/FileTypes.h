// Default-player registration on freedesktop desktops. A file class ("Jukora") is the desktop
// entry "jukora.desktop" in the user's applications folder ($XDG_DATA_HOME/applications); an
// extension is registered by making that entry the default for the extension's MIME type in the
// user's $XDG_CONFIG_HOME/mimeapps.list (under [Default Applications] and [Added
// Associations]). Every other line of mimeapps.list, other programs' included, is kept.
#pragma once

#include <QString>
#include <QStringList>

// The Exec value that starts `programPath` with the file: the path quoted as desktop entries
// quote arguments (so folders with blanks or quotes work), then the placeholder %f.
// A program started on another program folder than its own (`programFolder`, from
// JUKORA_PROGRAM_FOLDER; empty when none) is started on that folder again, through env.
QString OpenCommand(const QString& programPath, const QString& programFolder = QString());

// The desktop entry's file name for a class: the class name in lower case + ".desktop".
QString DesktopEntryName(const QString& description);

// The MIME type of files with this extension (".mp3" gives "audio/mpeg"); empty when the type
// database knows none.
QString MimeTypeOfExtension(const QString& extension);

// Writes the desktop entry of the class `description` with `command` as its Exec line (adding
// the extension's type to the types it lists) and makes it the default for the extension's type.
// Files are replaced whole or not at all. Throws std::runtime_error with a description that
// says what failed.
void RegisterFileType(const QString& description, const QString& command, const QString& extension);

// mimeapps.list text with `entry` first for `mimeType` in `section` (made when missing); the
// type's other programs stay after it, every other line stays as it was.
QString WithAssociation(const QString& text, const QString& section, const QString& mimeType,
                        const QString& entry);
