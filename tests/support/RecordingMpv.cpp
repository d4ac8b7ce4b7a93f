#include "support/RecordingMpv.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

// The stand-in's player: what the real one would hold, on the stand-in's clock.
struct mpv_handle {
    bool initialized = false;
    std::map<std::string, std::string> options;
    bool loaded = false, eof = false, paused = true;
    double position = 0, length = 0, fps = 0, speed = 1, volume = 100;

    struct Observed {
        std::string name;
        mpv_format format;
        uint64_t userdata;
    };
    std::vector<Observed> observed;

    // An event waiting to be taken, with the value it carries.
    struct Pending {
        Pending(mpv_event_id event) : id(event) {}
        mpv_event_id id;
        uint64_t userdata = 0;
        std::string property;
        mpv_format format = MPV_FORMAT_NONE;
        double number = 0;
        int flag = 0;
        int error = 0;
    };
    std::deque<Pending> events;
    // The event last handed out and what it points at: valid until the next wait_event.
    Pending current{MPV_EVENT_NONE};
    mpv_event event{};
    mpv_event_property property{};
    mpv_event_end_file endFile{};

    void (*wakeup)(void*) = nullptr;
    void* wakeupData = nullptr;

    bool Option(const char* name, const char* value) const {
        const auto it = options.find(name);
        return it != options.end() && it->second == value;
    }
    void Queue(Pending pending) {
        events.push_back(std::move(pending));
        if (wakeup)
            wakeup(wakeupData);
    }
    // Tells the observers of `name` its value.
    void Changed(const std::string& name) {
        for (const Observed& o : observed)
            if (o.name == name)
                Report(o);
    }
    void Report(const Observed& o) {
        Pending p(MPV_EVENT_PROPERTY_CHANGE);
        p.userdata = o.userdata;
        p.property = o.name;
        p.format = o.format;
        if (Read(o.name, o.format, &p.number, &p.flag) < 0)
            p.format = MPV_FORMAT_NONE; // as libmpv reports a property not available
        Queue(std::move(p));
    }
    // A property's value in the format asked for; an error code as libmpv gives.
    int Read(const std::string& name, mpv_format format, double* number, int* flag) const {
        const bool isFlag = name == "eof-reached" || name == "pause";
        const bool isNumber = name == "time-pos" || name == "duration" || name == "container-fps" ||
                              name == "estimated-vf-fps" || name == "volume" ||
                              name == "volume-max" || name == "speed";
        if (!isFlag && !isNumber)
            return MPV_ERROR_PROPERTY_NOT_FOUND;
        if (format != (isFlag ? MPV_FORMAT_FLAG : MPV_FORMAT_DOUBLE))
            return MPV_ERROR_PROPERTY_FORMAT;
        const bool needsFile = name == "time-pos" || name == "duration" ||
                               name == "container-fps" || name == "estimated-vf-fps";
        if (needsFile && (!loaded || (name.find("fps") != std::string::npos && fps <= 0)))
            return MPV_ERROR_PROPERTY_UNAVAILABLE;
        if (name == "eof-reached")
            *flag = eof ? 1 : 0;
        else if (name == "pause")
            *flag = paused ? 1 : 0;
        else if (name == "time-pos")
            *number = position;
        else if (name == "duration")
            *number = length;
        else if (name == "volume")
            *number = volume;
        else if (name == "volume-max")
            *number = 130;
        else if (name == "speed")
            *number = speed;
        else
            *number = fps;
        return 0;
    }
    void Pause(bool on) {
        if (paused != on) {
            paused = on;
            Changed("pause");
        }
    }
    // Moves to `seconds`, as a finished seek leaves the player.
    void MoveTo(double seconds) {
        position = std::clamp(seconds, 0.0, length);
        const bool atEnd = seconds >= length;
        if (eof != atEnd) {
            eof = atEnd;
            Changed("eof-reached");
        }
        Changed("time-pos");
        if (atEnd && Option("keep-open", "yes"))
            Pause(true);
    }
};

namespace {

RecordingMpv* recorder = nullptr;

} // namespace

// The functions of the table, each checking its handle first.
struct RecordingCalls {
    static mpv_handle* Valid(mpv_handle* h, const char* call) {
        if (recorder->live_.count(h))
            return h;
        const bool gone = std::any_of(recorder->destroyed_.begin(), recorder->destroyed_.end(),
                                      [h](const auto& d) { return d.get() == h; });
        recorder->misuses << QStringLiteral("%1 with a handle %2")
                                 .arg(QLatin1String(call), gone
                                                               ? QStringLiteral("already destroyed")
                                                               : QStringLiteral("never made"));
        return nullptr;
    }

    static mpv_handle* Create() {
        auto* h = new mpv_handle;
        recorder->live_.insert(h);
        recorder->lastOptions.clear();
        return h;
    }
    static int Initialize(mpv_handle* handle) {
        mpv_handle* h = Valid(handle, "initialize");
        if (!h)
            return MPV_ERROR_UNINITIALIZED;
        h->initialized = true;
        h->paused = !h->Option("pause", "no");
        return 0;
    }
    static void TerminateDestroy(mpv_handle* handle) {
        mpv_handle* h = Valid(handle, "terminate_destroy");
        if (!h)
            return;
        recorder->live_.erase(h);
        recorder->destroyed_.emplace_back(h);
        if (recorder->destroyed_.size() > 4096)
            recorder->destroyed_.pop_front();
    }
    static int SetOptionString(mpv_handle* handle, const char* name, const char* value) {
        mpv_handle* h = Valid(handle, "set_option_string");
        if (!h)
            return MPV_ERROR_UNINITIALIZED;
        h->options[name] = value;
        recorder->lastOptions << QString::fromUtf8(name) + QLatin1Char('=') +
                                     QString::fromUtf8(value);
        return 0;
    }
    static int SetOption(mpv_handle* handle, const char* name, mpv_format format, void* data) {
        mpv_handle* h = Valid(handle, "set_option");
        if (!h)
            return MPV_ERROR_UNINITIALIZED;
        if (format != MPV_FORMAT_INT64)
            return MPV_ERROR_OPTION_FORMAT; // the service sets only whole numbers this way
        const std::string value = std::to_string(*static_cast<int64_t*>(data));
        return SetOptionString(h, name, value.c_str());
    }
    static int Command(mpv_handle* handle, const char** args) {
        mpv_handle* h = Valid(handle, "command");
        if (!h)
            return MPV_ERROR_UNINITIALIZED;
        if (!h->initialized) {
            recorder->misuses << QStringLiteral("a command before initialize");
            return MPV_ERROR_UNINITIALIZED;
        }
        const std::string verb = args[0] ? args[0] : "";
        if (verb == "loadfile" && args[1])
            return LoadFile(h, args[1]);
        if (verb == "seek" && args[1]) {
            if (!h->loaded)
                return MPV_ERROR_COMMAND;
            bool ok = false;
            const double target = QByteArray(args[1]).toDouble(&ok);
            if (!ok)
                return MPV_ERROR_INVALID_PARAMETER;
            h->Queue({MPV_EVENT_SEEK});
            h->MoveTo(target);
            h->Queue({MPV_EVENT_PLAYBACK_RESTART});
            return 0;
        }
        return MPV_ERROR_INVALID_PARAMETER;
    }
    static int LoadFile(mpv_handle* h, const char* path) {
        recorder->loaded.emplace_back(path);
        const QFileInfo file(QString::fromUtf8(path));
        h->Queue({MPV_EVENT_START_FILE});
        if (!file.isFile() || file.size() == 0) {
            mpv_handle::Pending end(MPV_EVENT_END_FILE);
            end.error = MPV_ERROR_LOADING_FAILED;
            h->Queue(std::move(end));
            return 0;
        }
        h->loaded = true;
        h->eof = false;
        h->position = 0;
        h->length = static_cast<double>(file.size()) / 1000.0;
        const QString suffix = file.suffix().toLower();
        const bool video = suffix == QLatin1String("avi") || suffix == QLatin1String("mpg") ||
                           suffix == QLatin1String("mp4");
        h->fps = video ? 25 : 0;
        h->Queue({MPV_EVENT_FILE_LOADED});
        for (const char* name : {"duration", "time-pos", "eof-reached"})
            h->Changed(name);
        h->Queue({MPV_EVENT_PLAYBACK_RESTART});
        return 0;
    }
    static int GetProperty(mpv_handle* handle, const char* name, mpv_format format, void* data) {
        mpv_handle* h = Valid(handle, "get_property");
        if (!h)
            return MPV_ERROR_UNINITIALIZED;
        double number = 0;
        int flag = 0;
        const int result = h->Read(name, format, &number, &flag);
        if (result >= 0 && format == MPV_FORMAT_DOUBLE)
            *static_cast<double*>(data) = number;
        else if (result >= 0)
            *static_cast<int*>(data) = flag;
        return result;
    }
    static int SetProperty(mpv_handle* handle, const char* name, mpv_format format, void* data) {
        mpv_handle* h = Valid(handle, "set_property");
        if (!h)
            return MPV_ERROR_UNINITIALIZED;
        const std::string property = name;
        if (property == "pause" && format == MPV_FORMAT_FLAG) {
            h->Pause(*static_cast<int*>(data) != 0);
            return 0;
        }
        if (format != MPV_FORMAT_DOUBLE)
            return MPV_ERROR_PROPERTY_FORMAT;
        const double value = *static_cast<double*>(data);
        if (property == "speed" && value >= 0.01 && value <= 100)
            h->speed = value;
        else if (property == "volume" && value >= 0 && value <= 130)
            h->volume = value;
        else
            return MPV_ERROR_PROPERTY_ERROR;
        h->Changed(property);
        return 0;
    }
    static int ObserveProperty(mpv_handle* handle, uint64_t userdata, const char* name,
                               mpv_format format) {
        mpv_handle* h = Valid(handle, "observe_property");
        if (!h)
            return MPV_ERROR_UNINITIALIZED;
        h->observed.push_back({name, format, userdata});
        h->Report(h->observed.back()); // libmpv reports the value once at the start
        return 0;
    }
    static mpv_event* WaitEvent(mpv_handle* handle, double) {
        static mpv_event none{};
        mpv_handle* h = Valid(handle, "wait_event");
        if (!h)
            return &none;
        if (h->events.empty()) {
            h->current = {MPV_EVENT_NONE};
        } else {
            h->current = std::move(h->events.front());
            h->events.pop_front();
        }
        mpv_handle::Pending& p = h->current;
        h->event = mpv_event{};
        h->event.event_id = p.id;
        h->event.reply_userdata = p.userdata;
        if (p.id == MPV_EVENT_PROPERTY_CHANGE) {
            h->property.name = p.property.c_str();
            h->property.format = p.format;
            h->property.data = p.format == MPV_FORMAT_DOUBLE ? static_cast<void*>(&p.number)
                               : p.format == MPV_FORMAT_FLAG ? static_cast<void*>(&p.flag)
                                                             : nullptr;
            h->event.data = &h->property;
        } else if (p.id == MPV_EVENT_END_FILE) {
            h->endFile = mpv_event_end_file{};
            h->endFile.reason = p.error ? MPV_END_FILE_REASON_ERROR : MPV_END_FILE_REASON_EOF;
            h->endFile.error = p.error;
            h->event.data = &h->endFile;
        }
        return &h->event;
    }
    static void SetWakeupCallback(mpv_handle* handle, void (*callback)(void*), void* data) {
        mpv_handle* h = Valid(handle, "set_wakeup_callback");
        if (!h)
            return;
        h->wakeup = callback;
        h->wakeupData = data;
    }
};

RecordingMpv::RecordingMpv() {
    table_.create = &RecordingCalls::Create;
    table_.initialize = &RecordingCalls::Initialize;
    table_.terminateDestroy = &RecordingCalls::TerminateDestroy;
    table_.setOption = &RecordingCalls::SetOption;
    table_.setOptionString = &RecordingCalls::SetOptionString;
    table_.command = &RecordingCalls::Command;
    table_.getProperty = &RecordingCalls::GetProperty;
    table_.setProperty = &RecordingCalls::SetProperty;
    table_.observeProperty = &RecordingCalls::ObserveProperty;
    table_.waitEvent = &RecordingCalls::WaitEvent;
    table_.setWakeupCallback = &RecordingCalls::SetWakeupCallback;
    recorder = this;
    UseMpvStandIn(&table_);
}

RecordingMpv::~RecordingMpv() {
    UseMpvStandIn(nullptr);
    recorder = nullptr;
    for (mpv_handle* h : live_)
        delete h;
}

void RecordingMpv::Pass(double seconds) {
    for (mpv_handle* h : live_) {
        if (!h->loaded || h->paused || h->eof)
            continue;
        h->MoveTo(h->position + seconds * h->speed);
    }
}
