// The file-name rule and the capitalisation: any name splits into an artist and a title that
// come from it, capitalisation keeps the length, and a normalised item within its limits holds
// no more than the limits allow.
#include "FuzzSupport.h"
#include "import/FileNames.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = FuzzText(data, size);
    const SplitName split = SplitArtistTitle(name);
    if (!name.contains(split.title))
        std::abort();
    if (const auto cut = SplitFileName(name)) {
        if (!name.contains(cut->title))
            std::abort();
    }
    const QString caps = firstlettercaps(name);
    (void)caps;
    (void)IsAcceptedType(name);
    (void)IsVideoPath(name);
    const NormalisedItem item = NormaliseItem(name, split.artist, split.title);
    if (item.fits && (item.artist.size() > 80 || item.title.size() > 80 || item.path.size() > 255))
        std::abort();
    const QString why = UnstorablePathReason(name);
    if (why.isEmpty() &&
        (name.contains(QLatin1Char('"')) || name.contains(QChar::ReplacementCharacter)))
        std::abort();
    return 0;
}
