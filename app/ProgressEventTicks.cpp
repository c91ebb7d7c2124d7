#include "app/ProgressEventTicks.h"

#include "chart/EventColour.h"

#include <QAbstractSlider>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

class ProgressEventTicks::Overlay final : public QWidget {
public:
    Overlay(QAbstractSlider* slider, const std::vector<Tick>& ticks) : QWidget(slider), slider_(slider), ticks_(ticks) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(slider->rect());
        slider->installEventFilter(this);
        show();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == slider_ && event->type() == QEvent::Resize) setGeometry(slider_->rect());
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        const int seconds = slider_->maximum() - slider_->minimum();
        if (ticks_.empty() || seconds <= 0) return;
        QStyleOptionSlider option;
        option.initFrom(slider_);
        option.orientation = slider_->orientation();
        option.minimum = slider_->minimum();
        option.maximum = slider_->maximum();
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider_);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider_);
        const int span = std::max(groove.width() - handle.width(), 1);
        QPainter painter(this);
        for (const Tick& tick : ticks_) {
            const double fraction = std::clamp(static_cast<double>(tick.timeMs) / 1000.0 / seconds, 0.0, 1.0);
            const int x = groove.x() + handle.width() / 2 + static_cast<int>(fraction * span);
            painter.fillRect(QRect(x - 1, groove.center().y() - 6, 3, 12), eventColour(tick.kind));
        }
    }

private:
    QAbstractSlider* slider_;
    const std::vector<Tick>& ticks_;
};

ProgressEventTicks::~ProgressEventTicks() {
    // The overlay reads the ticks: it must not outlive them.
    delete overlay_.data();
}

void ProgressEventTicks::Bind(QAbstractSlider* slider) {
    delete overlay_.data();
    overlay_ = slider ? new Overlay(slider, ticks_) : nullptr;
}

void ProgressEventTicks::ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) {
    ticks_.clear();
    size_t clip = 0;
    const TripRoute* trip = trips && !currentClip.empty() ? trips->tripOf(currentClip, &clip) : nullptr;
    if (trip)
        for (const TripEvent& e : trip->events)
            if (e.clip == clip) ticks_.push_back({e.timeMs, e.kind});
    if (overlay_) overlay_->update();
}
