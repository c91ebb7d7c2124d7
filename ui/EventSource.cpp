#include "ui/EventSource.h"

#include <algorithm>

namespace ui {

EventSource::EventSource(QWidget* control) : QObject(control) {}

EventSource* EventSource::of(QWidget* control) {
    if (!control) return nullptr;
    if (EventSource* existing = find(control)) return existing;
    return new EventSource(control);
}

EventSource* EventSource::find(const QWidget* control) {
    if (!control) return nullptr;
    return control->findChild<EventSource*>(QString(), Qt::FindDirectChildrenOnly);
}

int EventSource::subscribe(Delegate delegate) {
    const int id = nextId_++;
    delegates_.emplace_back(id, std::move(delegate));
    return id;
}

bool EventSource::unsubscribe(int id) {
    auto it = std::find_if(delegates_.begin(), delegates_.end(), [id](const auto& d) { return d.first == id; });
    if (it == delegates_.end()) return false;
    delegates_.erase(it);
    return true;
}

bool EventSource::fire(const Notification& notification) const {
    // A copy, so that a delegate may subscribe or unsubscribe while it runs.
    const auto delegates = delegates_;
    for (const auto& [id, delegate] : delegates) {
        if (delegate && !delegate(notification)) return false;
    }
    return true;
}

}  // namespace ui
