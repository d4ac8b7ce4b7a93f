// The media service's command-string parser: any text is split, its verb looked up, its alias
// found (none is open) and answered with an error code and a reply that fits its length.
// Commands that open a player are left out: they would start libmpv.
#include "FuzzSupport.h"
#include "media/MpvMciService.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NeedApplication();
    static MpvMciService service;
    const QString command = FuzzText(data, size);
    const QString first = command.trimmed().section(QLatin1Char(' '), 0, 0).toLower();
    if (first.startsWith(QLatin1String("open")) || first.contains(QLatin1String("open")))
        return 0;
    QString reply;
    const int length = size > 0 ? data[0] % 200 : 128;
    const quint32 code = service.SendString(command, &reply, length);
    if (reply.size() > length)
        std::abort(); // a reply longer than the caller's buffer
    if (code != 0 && service.ErrorString(code).isEmpty())
        std::abort(); // every failure has a text
    if (service.OpenAliasCount() != 0)
        std::abort();
    return 0;
}
