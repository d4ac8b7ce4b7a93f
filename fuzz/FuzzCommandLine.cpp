// The command-line path rule: any command line gives files that exist and are files, made
// absolute, and refuses the rest by name; nothing is lost or made up.
#include "FuzzSupport.h"
#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NeedApplication();
    static QTemporaryDir dir;
    static const bool made = [] {
        QDir(dir.path()).mkpath(QStringLiteral("music/sub"));
        for (const char* name : {"music/a.mp3", "music/b c.mp3", "music/sub/d~1.mp3"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            file.open(QIODevice::WriteOnly);
        }
        return true;
    }();
    (void)made;
    const QString commandLine = FuzzText(data, size);
    // The program's arguments, without its own name, as the shell would split them.
    const QStringList arguments = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const HandedInFiles handed = FilesOnCommandLine(commandLine, arguments, dir.path());
    for (const QString& file : handed.files)
        if (!FileExists(file) || QDir::isRelativePath(file))
            std::abort();
    if (handed.files.size() + handed.refused.size() > std::max<qsizetype>(1, arguments.size()))
        std::abort();
    return 0;
}
