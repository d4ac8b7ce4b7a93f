// The rules that turn a file's name into a library item's artist and title.
#pragma once

#include <QString>

#include <optional>

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

// Why a file's path cannot be kept in the library as a song that plays; empty when it can. A
// name that is not valid UTF-8 reaches the program with replacement characters and would never
// be found again; a double quote would end the quoted path of the media command early.
QString UnstorablePathReason(const QString& path);

// True when the last three characters of a file name name an accepted media type (mp3, wma,
// wav, mid, mpg, peg, wmv, avi, vob), without regard to case.
bool IsAcceptedType(const QString& name);

struct SplitName {
    QString artist, title;
};
// A file name split at its first " - ": the artist before it (with its trailing blank), the
// title after it; without one, "Unknown" and the whole name.
SplitName SplitArtistTitle(const QString& name);
// The file-name rule's split: before the first " - " the artist (with its trailing blank),
// after it the title, else "Unknown" and the whole name; then the title is cut before the first
// "." from its fifth-last character on. Nothing when it cannot be cut (a title shorter than five
// characters, or no "." there).
std::optional<SplitName> SplitFileName(const QString& name);
