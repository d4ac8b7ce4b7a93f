// The cue-file reader: whatever bytes stand in the cue file, reading never blocks or reads past
// one record, and taking it leaves the name free for the next hand-off.
#include "FuzzSupport.h"
#include "core/CueFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NeedApplication();
    static QTemporaryDir dir;
    const QString path = dir.filePath(CueFileName());
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const auto record = ReadCueFile(path);
    if (record.has_value() != (size == 4))
        std::abort();
    if (record && EncodeCueRecord(record->Marker, record->SongID) !=
                      QByteArray(reinterpret_cast<const char*>(data), 4))
        std::abort(); // the record reads back as the bytes it came from
    const CueTaken taken = TakeCueFile(path);
    if (taken.what != (size == 4 ? CueTaken::What::Record : CueTaken::What::Unreadable))
        std::abort();
    if (QFile::exists(path))
        std::abort();
    return 0;
}
