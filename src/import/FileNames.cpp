#include "import/FileNames.h"

#include "core/Store.h"

namespace {
constexpr int kMaxNameLength = 80;
constexpr int kMaxPathLength = 255;

void ReplaceCharacters(QString& s) {
    s.replace(QLatin1Char('&'), QLatin1Char('+'));
    s.replace(QLatin1Char('.'), QLatin1Char(' '));
    s.replace(QLatin1Char('*'), QLatin1Char(' '));
    s.replace(QLatin1Char('!'), QLatin1Char(' '));
    s.replace(QLatin1String("  "), QLatin1String(" ")); // one pass: three blanks become two
}
} // namespace

QString firstlettercaps(const QString& s) {
    QString result = s.toLower();
    bool wordStart = true; // the first character starts a word
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (wordStart)
            result.replace(i, 1, result.mid(i, 1).toUpper());
        const QChar c = result.at(i);
        wordStart = c == QLatin1Char(' ') || c == QLatin1Char('.') || c == QLatin1Char(',');
    }
    return result;
}

bool IsVideoPath(const QString& path) {
    const QString type = path.right(3).toLower();
    return type == QLatin1String("mpg") || type == QLatin1String("peg") ||
           type == QLatin1String("avi") || type == QLatin1String("vob") ||
           type == QLatin1String("wmv");
}

NormalisedItem NormaliseItem(const QString& path, QString artist, QString title) {
    if (IsVideoPath(path))
        title += QStringLiteral(" [video]");
    ReplaceCharacters(artist);
    ReplaceCharacters(title);
    title = firstlettercaps(title);
    artist = firstlettercaps(artist);
    NormalisedItem item{TrimBlanks(artist), TrimBlanks(title), TrimBlanks(path), false};
    item.fits = item.artist.size() <= kMaxNameLength && item.title.size() <= kMaxNameLength &&
                item.path.size() <= kMaxPathLength;
    return item;
}

bool IsAcceptedType(const QString& name) {
    static const char* const kTypes[] = {"mp3", "wma", "wav", "mid", "mpg",
                                         "peg", "wmv", "avi", "vob"};
    const QString type = name.right(3).toLower();
    for (const char* accepted : kTypes)
        if (type == QLatin1String(accepted))
            return true;
    return false;
}

SplitName SplitArtistTitle(const QString& name) {
    const qsizetype dash = name.indexOf(QLatin1String(" - "));
    if (dash < 0)
        return {QStringLiteral("Unknown"), name};
    return {name.left(dash + 1), name.mid(dash + 3)};
}

std::optional<SplitName> SplitFileName(const QString& name) {
    SplitName split = SplitArtistTitle(name);
    if (split.title.size() < 5)
        return std::nullopt;
    const qsizetype dot = split.title.indexOf(QLatin1Char('.'), split.title.size() - 5);
    if (dot < 0)
        return std::nullopt;
    split.title = split.title.left(dot);
    return split;
}

QString UnstorablePathReason(const QString& path) {
    if (path.contains(QChar::ReplacementCharacter))
        return QStringLiteral("Its name is not valid text (UTF-8), so Jukora could not find the "
                              "file again. Rename the file, then add it.");
    if (path.contains(QLatin1Char('"')))
        return QStringLiteral("Its name holds a double quote (\"), which Jukora cannot pass to "
                              "its media player, so it could never be played. Rename the file, "
                              "then add it.");
    return {};
}
