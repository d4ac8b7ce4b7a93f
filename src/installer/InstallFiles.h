// File operations of the installer that never leave a half-written file: each file is written
// under a temporary name in its target folder and renamed into place once complete, so a failed
// copy leaves the previous file (or none) as it was.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>

// Copies source to target, keeping the source's permissions. beforeReplace, when given, runs
// after the new content is complete and just before it replaces the target; returning false
// abandons the copy. False when anything fails; the target is then untouched.
bool CopyIntoPlace(const QString& source, const QString& target,
                   const std::function<bool()>& beforeReplace = {});

// Writes the bytes as the file at path with the given permissions. False on any failure.
bool WriteIntoPlace(const QString& path, const QByteArray& bytes,
                    QFileDevice::Permissions permissions);

// Marks a launcher as trusted for the desktop session ("gio set ... metadata::trusted true"),
// so that the desktop starts it without asking. Only when a session bus and gio are there; the
// result is not needed and the wait is bounded.
void MarkTrusted(const QString& launcher);
