#include "app/StartupWarmup.h"

#include "skin/SkinArt.h"

#include <QString>

#include <fontconfig/fontconfig.h>

StartupWarmup::StartupWarmup() {
    worker_ = std::thread([this] {
        // The toolkit's font database asks for the configuration first; once loaded it is
        // shared by the whole process.
        FcInit();
        SkinArt::DecodeAhead(QStringLiteral("frmPlayer"), stop_);
    });
}

StartupWarmup::~StartupWarmup() {
    stop_.store(true);
    if (worker_.joinable())
        worker_.join();
}
