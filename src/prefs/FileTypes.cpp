#include "prefs/FileTypes.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>

#include <stdexcept>

namespace {
[[noreturn]] void Fail(const QString& what) {
    throw std::runtime_error(what.toStdString());
}

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

void WriteText(const QString& path, const QString& text) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        Fail(QStringLiteral("Cannot make the folder %1").arg(folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        Fail(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

bool IsSection(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char('['));
}

QString KeyOf(const QString& line) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.left(equals).trimmed();
}

QStringList ListOf(const QString& value) {
    QStringList items;
    for (const QString& item : value.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!item.trimmed().isEmpty())
            items << item.trimmed();
    return items;
}

// The MIME types the entry lists already (its "MimeType=" line).
QStringList ListedTypes(const QString& entryText) {
    for (const QString& line : entryText.split(QLatin1Char('\n')))
        if (KeyOf(line) == QLatin1String("MimeType"))
            return ListOf(line.mid(line.indexOf(QLatin1Char('=')) + 1));
    return {};
}

QString EntryText(const QString& description, const QString& command, const QStringList& types) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Comment=Media player\n"
                          "Icon=jukora\n"
                          "Exec=%2\n"
                          "Terminal=false\n"
                          "Categories=AudioVideo;Audio;Video;Player;\n"
                          "MimeType=%3;\n")
        .arg(description, command, types.join(QLatin1Char(';')));
}
} // namespace

// One argument of an Exec value, quoted: the characters ", `, $ and backslash escaped with a
// backslash, % doubled, then every backslash escaped once more, as a desktop entry's values are.
static QString ExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('%')) {
            quoted += QStringLiteral("%%");
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

QString OpenCommand(const QString& programPath, const QString& programFolder) {
    QString command;
    if (!programFolder.isEmpty())
        command = QStringLiteral("env ") +
                  ExecArgument(QStringLiteral("JUKORA_PROGRAM_FOLDER=") + programFolder) +
                  QLatin1Char(' ');
    return command + ExecArgument(programPath) + QStringLiteral(" %f");
}

QString DesktopEntryName(const QString& description) {
    return description.toLower() + QStringLiteral(".desktop");
}

QString MimeTypeOfExtension(const QString& extension) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("file") + extension,
                                                           QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return {};
    return type.name();
}

QString WithAssociation(const QString& text, const QString& section, const QString& mimeType,
                        const QString& entry) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    qsizetype start = lines.indexOf(header);
    if (start < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << header;
        start = lines.size() - 1;
    }
    qsizetype end = start + 1;
    while (end < lines.size() && !IsSection(lines[end]))
        ++end;
    for (qsizetype i = start + 1; i < end; ++i) {
        if (KeyOf(lines[i]) != mimeType)
            continue;
        QStringList programs = ListOf(lines[i].mid(lines[i].indexOf(QLatin1Char('=')) + 1));
        programs.removeAll(entry);
        programs.prepend(entry);
        lines[i] = mimeType + QLatin1Char('=') + programs.join(QLatin1Char(';')) + QLatin1Char(';');
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    // Before the blank lines that end the section.
    qsizetype at = end;
    while (at > start + 1 && lines[at - 1].trimmed().isEmpty())
        --at;
    lines.insert(at, mimeType + QLatin1Char('=') + entry + QLatin1Char(';'));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void RegisterFileType(const QString& description, const QString& command,
                      const QString& extension) {
    const QString mimeType = MimeTypeOfExtension(extension);
    if (mimeType.isEmpty())
        Fail(QStringLiteral("No file type is known for the extension %1").arg(extension));
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dataHome.isEmpty() || configHome.isEmpty())
        Fail(QStringLiteral("The user's data and configuration folders are not known"));

    const QString entryName = DesktopEntryName(description);
    const QString entryPath = dataHome + QStringLiteral("/applications/") + entryName;
    QStringList types = ListedTypes(ReadText(entryPath));
    if (!types.contains(mimeType))
        types << mimeType;
    WriteText(entryPath, EntryText(description, command, types));

    const QString listPath = configHome + QStringLiteral("/mimeapps.list");
    QString list = ReadText(listPath);
    list = WithAssociation(list, QStringLiteral("Default Applications"), mimeType, entryName);
    list = WithAssociation(list, QStringLiteral("Added Associations"), mimeType, entryName);
    WriteText(listPath, list);
}
