#include "core/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ProgramFolder() {
    const QString fromEnvironment = qEnvironmentVariable("JUKORA_PROGRAM_FOLDER");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    return QCoreApplication::applicationDirPath();
}

QString InProgramFolder(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

QString FileTitleOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString LongPathName(const QString& path) {
    if (path.isEmpty())
        return {};
    const bool absolute = path.startsWith(QLatin1Char('/'));
    QString result = absolute ? QStringLiteral("/") : QString();
    QDir folder(absolute ? QStringLiteral("/") : QDir::currentPath());
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        QString name;
        if (part == QLatin1String(".") || part == QLatin1String("..") ||
            QFileInfo::exists(folder.filePath(part))) {
            name = part;
        } else {
            const QStringList entries =
                folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
            for (const QString& entry : entries)
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    name = entry;
                    break;
                }
            if (name.isEmpty())
                return {};
        }
        if (!result.isEmpty() && !result.endsWith(QLatin1Char('/')))
            result += QLatin1Char('/');
        result += name;
        if (i + 1 < parts.size() && !folder.cd(name))
            return {};
    }
    return result;
}

QString CommandLineText(const QStringList& arguments) {
    return arguments.mid(1).join(QLatin1Char(' '));
}

QString WithoutSurroundingQuotes(const QString& text) {
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

namespace {
// One handed-in path made absolute and, when it holds "~", put in its long form (empty text when
// a component of that form does not exist).
QString ResolveHandedIn(const QString& text, const QString& workingFolder) {
    QString path = WithoutSurroundingQuotes(text);
    if (path.isEmpty())
        return {};
    if (QDir::isRelativePath(path))
        path = QDir(workingFolder).absoluteFilePath(path);
    path = QDir::cleanPath(path);
    return path.contains(QLatin1Char('~')) ? LongPathName(path) : path;
}
} // namespace

HandedInFiles FilesOnCommandLine(const QString& commandLine, const QStringList& arguments,
                                 const QString& workingFolder) {
    HandedInFiles result;
    if (commandLine.trimmed().isEmpty())
        return result;
    const QString whole = ResolveHandedIn(commandLine, workingFolder);
    if (FileExists(whole)) {
        result.files << whole;
        return result;
    }
    if (arguments.size() < 2) {
        result.refused << WithoutSurroundingQuotes(commandLine);
        return result;
    }
    for (const QString& argument : arguments) {
        const QString path = ResolveHandedIn(argument, workingFolder);
        if (FileExists(path))
            result.files << path;
        else
            result.refused << WithoutSurroundingQuotes(argument);
    }
    return result;
}
