// Small path and process facts the start-up needs. None of these functions throws.
#pragma once

#include <QString>
#include <QStringList>

// The folder of the library file, the cue file, "PlayLists" and "Other": the folder of the
// running program, or the folder named by JUKORA_PROGRAM_FOLDER when that is set.
QString ProgramFolder();

// The program folder joined with a name inside it.
QString InProgramFolder(const QString& folder, const QString& name);

// True for an existing file; false for a folder, a missing path or anything that cannot be
// examined.
bool FileExists(const QString& path);

// The text after the last "/" of the path; the whole text when it has none.
QString FileTitleOf(const QString& path);

// The path as the file system spells it: each component is looked up in its folder (exactly,
// else without regard to case). Empty text when a component does not exist.
QString LongPathName(const QString& path);

// The raw command line: the arguments after the program name joined by one blank.
QString CommandLineText(const QStringList& arguments);

// The command line without surrounding double quotes, when it has them.
QString WithoutSurroundingQuotes(const QString& text);

// The files a command line hands in. The whole argument text, without surrounding quotes, is one
// path (in its long form when it holds "~"). When that names no file but there are several
// arguments (a file manager opening several files), each argument is a path of its own. Relative
// paths are taken against `workingFolder`. `files` holds the existing files as absolute paths, in
// order; `refused` what names no file (missing, a folder, an unresolved "~" form), as given.
struct HandedInFiles {
    QStringList files;
    QStringList refused;
};
HandedInFiles FilesOnCommandLine(const QString& commandLine, const QStringList& arguments,
                                 const QString& workingFolder);
