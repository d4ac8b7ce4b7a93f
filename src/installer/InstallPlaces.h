// Where the installer puts things on this system, and the launcher files it writes. The user's
// data folder is XDG_DATA_HOME when that is an absolute path, else ~/.local/share; the packaged
// command "jukora" uses the same rule, so both ways of installing share one library.
#pragma once

#include <QByteArray>
#include <QString>

// The user's data folder, without a final "/".
QString DataHome();

// The proposed install folder: the data folder + "/Orvane/Jukora/".
QString DefaultInstallFolder();

// The user's shared-library folder, ~/.local/lib, where the component goes.
QString SystemFolder();

// The user's desktop: XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop.
QString DesktopFolder();

// The user's applications menu folder: the data folder + "/applications".
QString ApplicationsFolder();

// Where the installer puts Jukora's icon: the user's icon theme folder.
QString IconFile();

// True when the path, or the nearest of its parents that exists, lies on a network file system,
// or when it is written as a network path ("//server/share/...").
bool IsNetworkPath(const QString& path);

// The program path as one argument of a launcher's Exec line: quoted, with the characters that
// the launcher format reserves escaped.
QString ExecArgument(const QString& program);

// A launcher file for Jukora. With withFileArgument the entry takes a file (%f) and names the
// media types the player opens, so the desktop offers it under "Open with".
QByteArray DesktopEntry(const QString& program, const QString& icon, bool withFileArgument);
