// The playlist file writer's name check: a name it accepts makes a file straight inside the
// playlists folder, never elsewhere.
#include "FuzzSupport.h"
#include "playlists/PlaylistFile.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = FuzzText(data, size);
    if (!PlaylistNameProblem(name).isEmpty())
        return 0;
    const QString folder = QStringLiteral("/srv/jukora");
    const QString path = PlaylistFilePath(folder, name);
    if (QFileInfo(QDir::cleanPath(path)).absolutePath() != PlaylistFolder(folder))
        std::abort(); // the name escaped the playlists folder
    return 0;
}
