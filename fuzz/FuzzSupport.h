// Shared by the fuzz targets: the input as text, and a Qt application object for the code
// that needs one.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>

inline QString FuzzText(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline void NeedApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}
