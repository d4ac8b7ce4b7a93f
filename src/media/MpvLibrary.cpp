#include "media/MpvLibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace {

MpvLibrary library;
bool loaded = false;
QString loadError;
std::once_flag loading;
std::atomic<const MpvLibrary*> standIn{nullptr};

template <typename Function> bool Resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

void Load() {
    void* handle = nullptr;
    for (const char* name : {"libmpv.so.2", "libmpv.so.1", "libmpv.so"})
        if ((handle = dlopen(name, RTLD_NOW | RTLD_LOCAL)))
            break;
    if (!handle) {
        loadError = QString::fromLocal8Bit(dlerror());
        return;
    }
    MpvLibrary& l = library;
    loaded = Resolve(handle, "mpv_create", l.create) &&
             Resolve(handle, "mpv_initialize", l.initialize) &&
             Resolve(handle, "mpv_terminate_destroy", l.terminateDestroy) &&
             Resolve(handle, "mpv_set_option", l.setOption) &&
             Resolve(handle, "mpv_set_option_string", l.setOptionString) &&
             Resolve(handle, "mpv_command", l.command) &&
             Resolve(handle, "mpv_get_property", l.getProperty) &&
             Resolve(handle, "mpv_set_property", l.setProperty) &&
             Resolve(handle, "mpv_observe_property", l.observeProperty) &&
             Resolve(handle, "mpv_wait_event", l.waitEvent) &&
             Resolve(handle, "mpv_set_wakeup_callback", l.setWakeupCallback);
    if (!loaded)
        loadError = QStringLiteral("libmpv lacks a function Jukora needs");
}

} // namespace

const MpvLibrary* Mpv() {
    if (const MpvLibrary* table = standIn.load(std::memory_order_acquire))
        return table;
    std::call_once(loading, Load);
    return loaded ? &library : nullptr;
}

QString MpvLoadError() {
    return Mpv() ? QString() : loadError;
}

void UseMpvStandIn(const MpvLibrary* table) {
    standIn.store(table, std::memory_order_release);
}
