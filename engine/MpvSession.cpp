#include "engine/MpvSession.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace engine {

namespace {

std::vector<const char*> argv(std::initializer_list<std::string> args) {
    std::vector<const char*> out;
    for (const auto& a : args) out.push_back(a.c_str());
    out.push_back(nullptr);
    return out;
}

std::string mapString(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP) return {};
    for (int i = 0; i < map.u.list->num; ++i)
        if (std::string(map.u.list->keys[i]) == key && map.u.list->values[i].format == MPV_FORMAT_STRING)
            return map.u.list->values[i].u.string;
    return {};
}

}  // namespace

MpvSession::MpvSession() {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) return;
    handle_ = mpv_create();
    if (handle_) mpv_set_wakeup_callback(handle_, &MpvSession::onWakeup, this);
}

MpvSession::~MpvSession() {
    destroy();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void MpvSession::destroy() {
    if (!handle_) return;
    mpv_terminate_destroy(handle_);
    handle_ = nullptr;
}

void MpvSession::onWakeup(void* self) {
    static_cast<MpvSession*>(self)->signalWakeup();
}

void MpvSession::signalWakeup() {
    const uint64_t one = 1;
    // A full counter already means "events waiting"; nothing else can fail here.
    if (::write(wakeFd_, &one, sizeof one) < 0) return;
}

void MpvSession::clearWakeup() {
    uint64_t count;
    if (::read(wakeFd_, &count, sizeof count) < 0) return;  // EAGAIN: nothing to clear
}

mpv_event* MpvSession::nextEvent() {
    if (!handle_) return nullptr;
    if (!local_.empty()) {
        current_ = std::move(local_.front());
        local_.pop_front();
        currentText_ = current_.text.data();
        currentProperty_ = {current_.name.c_str(), current_.format, nullptr};
        if (current_.format == MPV_FORMAT_DOUBLE) currentProperty_.data = &current_.number;
        if (current_.format == MPV_FORMAT_STRING) currentProperty_.data = &currentText_;
        currentEvent_ = {current_.id, current_.error, current_.tag,
                         current_.id == MPV_EVENT_GET_PROPERTY_REPLY ? &currentProperty_ : nullptr};
        return &currentEvent_;
    }
    mpv_event* event = mpv_wait_event(handle_, 0);
    switch (event->event_id) {
        case MPV_EVENT_NONE:
            return nullptr;
        case MPV_EVENT_GET_PROPERTY_REPLY:
        case MPV_EVENT_SET_PROPERTY_REPLY:
        case MPV_EVENT_COMMAND_REPLY:
            --pending_;
            break;
        default:
            break;
    }
    return event;
}

void MpvSession::queueLocal(LocalReply reply) {
    local_.push_back(std::move(reply));
    signalWakeup();
}

int MpvSession::setOption(const char* name, const std::string& value) {
    return handle_ ? mpv_set_option_string(handle_, name, value.c_str()) : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::setOption(const char* name, int64_t value) {
    return handle_ ? mpv_set_option(handle_, name, MPV_FORMAT_INT64, &value) : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::initialize() {
    return handle_ ? mpv_initialize(handle_) : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::requestLogMessages(const char* level) {
    return handle_ ? mpv_request_log_messages(handle_, level) : MPV_ERROR_UNINITIALIZED;
}

std::string MpvSession::errorText(int error) {
    return mpv_error_string(error);
}

std::vector<AudioDevice> MpvSession::audioDevices() {
    std::vector<AudioDevice> devices;
    mpv_node list;
    if (!handle_ || mpv_get_property(handle_, "audio-device-list", MPV_FORMAT_NODE, &list) < 0) return devices;
    if (list.format == MPV_FORMAT_NODE_ARRAY) {
        for (int i = 0; i < list.u.list->num; ++i) {
            const mpv_node& entry = list.u.list->values[i];
            devices.push_back({mapString(entry, "name"), mapString(entry, "description")});
        }
    }
    mpv_free_node_contents(&list);
    return devices;
}

bool MpvSession::getInt(const char* name, int64_t& value) {
    return handle_ && mpv_get_property(handle_, name, MPV_FORMAT_INT64, &value) >= 0;
}

bool MpvSession::getDouble(const char* name, double& value) {
    return handle_ && mpv_get_property(handle_, name, MPV_FORMAT_DOUBLE, &value) >= 0;
}

bool MpvSession::getString(const char* name, std::string& value) {
    char* text = handle_ ? mpv_get_property_string(handle_, name) : nullptr;
    if (!text) return false;
    value = text;
    mpv_free(text);
    return true;
}

int MpvSession::setString(const char* name, const std::string& value) {
    return handle_ ? mpv_set_property_string(handle_, name, value.c_str()) : MPV_ERROR_UNINITIALIZED;
}

void MpvSession::commandAsync(uint64_t tag, std::initializer_list<std::string> args) {
    if (!handle_) return;
    auto list = argv(args);
    if (roomForAsync() && mpv_command_async(handle_, tag, list.data()) >= 0) {
        ++pending_;
        return;
    }
    LocalReply reply;
    reply.id = MPV_EVENT_COMMAND_REPLY;
    reply.tag = tag;
    reply.error = mpv_command(handle_, list.data());
    queueLocal(std::move(reply));
}

int MpvSession::command(std::initializer_list<std::string> args) {
    if (!handle_) return MPV_ERROR_UNINITIALIZED;
    auto list = argv(args);
    return mpv_command(handle_, list.data());
}

void MpvSession::getAsync(uint64_t tag, const char* name, bool asString) {
    if (!handle_) return;
    const mpv_format format = asString ? MPV_FORMAT_STRING : MPV_FORMAT_DOUBLE;
    if (roomForAsync() && mpv_get_property_async(handle_, tag, name, format) >= 0) {
        ++pending_;
        return;
    }
    LocalReply reply;
    reply.id = MPV_EVENT_GET_PROPERTY_REPLY;
    reply.tag = tag;
    reply.name = name;
    reply.format = format;
    if (asString) {
        char* text = mpv_get_property_string(handle_, name);
        reply.error = text ? 0 : MPV_ERROR_PROPERTY_UNAVAILABLE;
        if (text) reply.text = text;
        mpv_free(text);
    } else {
        reply.error = mpv_get_property(handle_, name, MPV_FORMAT_DOUBLE, &reply.number);
    }
    if (reply.error < 0) reply.format = MPV_FORMAT_NONE;
    queueLocal(std::move(reply));
}

void MpvSession::setFlagAsync(const char* name, bool value) {
    if (!handle_) return;
    int flag = value ? 1 : 0;
    if (roomForAsync() && mpv_set_property_async(handle_, 0, name, MPV_FORMAT_FLAG, &flag) >= 0)
        ++pending_;
    else
        mpv_set_property(handle_, name, MPV_FORMAT_FLAG, &flag);
}

void MpvSession::setDoubleAsync(const char* name, double value) {
    if (!handle_) return;
    if (roomForAsync() && mpv_set_property_async(handle_, 0, name, MPV_FORMAT_DOUBLE, &value) >= 0)
        ++pending_;
    else
        mpv_set_property(handle_, name, MPV_FORMAT_DOUBLE, &value);
}

}  // namespace engine
