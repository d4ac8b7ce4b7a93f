// The rules that turn a file's name into a library item's artist and title.
#pragma once

#include <QString>

// Word capitalisation: the first character and every character after a blank, "." or "," in
// upper case, every other character in lower case (the system's case mapping, so non-ASCII
// letters too).
QString firstlettercaps(const QString& s);

// True when the last three characters of the path, lower-cased, name a video type.
bool IsVideoPath(const QString& path);

struct NormalisedItem {
    QString artist, title, path; // trimmed
    bool fits = false;           // within 80, 80 and 255 characters
};

// The normalisation of addfile: the video suffix, the character replacements, capitalisation,
// trimming and the length limits.
NormalisedItem NormaliseItem(const QString& path, QString artist, QString title);
