#pragma once
// The delegates subscribed to the notifications of one control. They run
// before the window's Notify; a delegate that returns false stops the
// delegates after it, never the window's Notify.
//
// Threads: UI thread only. An event source is a child object of its control,
// created on first use, and goes with the control.
#include "ui/Notification.h"

#include <QObject>
#include <functional>
#include <utility>
#include <vector>

namespace ui {

class EventSource : public QObject {
    Q_OBJECT
public:
    using Delegate = std::function<bool(const Notification&)>;

    // The control's event source, created when it has none yet.
    static EventSource* of(QWidget* control);
    // The control's event source, or nullptr when nobody subscribed.
    static EventSource* find(const QWidget* control);

    // Returns the subscription's id (> 0) for unsubscribe.
    int subscribe(Delegate delegate);
    bool unsubscribe(int id);
    // Runs the delegates in subscription order; false when one of them
    // returned false.
    bool fire(const Notification& notification) const;
    size_t size() const { return delegates_.size(); }

private:
    explicit EventSource(QWidget* control);

    std::vector<std::pair<int, Delegate>> delegates_;
    int nextId_ = 1;
};

}  // namespace ui
