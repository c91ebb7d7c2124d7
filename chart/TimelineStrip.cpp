#include "chart/TimelineStrip.h"

#include "chart/EventColour.h"
#include "config/UnitSystem.h"
#include "trip/TripClipSpans.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
// The skin's dark panel colours; the line in the accent blue.
const QColor kBackground(0x12, 0x15, 0x1a);
const QColor kFrame(0x22, 0x27, 0x2f);
const QColor kLine(0x4a, 0x91, 0xea);
const QColor kFill(0x2f, 0x7d, 0xe1, 0x50);
const QColor kPlayhead(0xee, 0xf1, 0xf5);
const QColor kLabel(0x8a, 0x93, 0xa0);
const QColor kTripClip(0x2c, 0x34, 0x40);
const QColor kTripCurrent(0x2f, 0x7d, 0xe1);
constexpr int kInset = 1;  // inside the frame
}  // namespace

TimelineStrip::TimelineStrip(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(kHeight);
    setMaximumHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void TimelineStrip::ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) {
    const ClipTrack* clip = trips ? trips->clip(currentClip) : nullptr;
    if (clip && !clip->readable()) clip = nullptr;
    // The snapshot changes with every clip read; the profile only with the clip.
    if (clip != clip_) profile_ = clip ? SpeedProfile::ofClip(*clip) : SpeedProfile();
    clip_ = clip;
    trips_ = clip ? trips : nullptr;
    tripEdges_.clear();
    eventTicks_.clear();
    size_t index = 0;
    const TripRoute* trip = clip ? trips->tripOf(currentClip, &index) : nullptr;
    if (trip)
        for (const TripEvent& e : trip->events)
            if (e.clip == index) eventTicks_.push_back(e);
    if (trip && trip->clipPaths.size() > 1) {
        tripEdges_ = TripClipSpans::edges(*trip);
        tripClip_ = index;
    }
    relayout();
}

void TimelineStrip::SetUnits(UnitSystem units) {
    units_ = units;
    update();
}

void TimelineStrip::SetUnitTexts(const QString& metric, const QString& imperial) {
    // A language file without them gets the usual symbols, not those of the last language.
    metricUnit_ = metric.isEmpty() ? QStringLiteral("km/h") : metric;
    imperialUnit_ = imperial.isEmpty() ? QStringLiteral("mph") : imperial;
    update();
}

void TimelineStrip::SetLength(int32_t seconds) {
    lengthSeconds_ = std::max(seconds, 0);
    relayout();
}

void TimelineStrip::SetPosition(int32_t seconds) {
    if (dragging_) return;
    positionMs_ = static_cast<int64_t>(std::max(seconds, 0)) * 1000;
    update();
}

void TimelineStrip::Reset() {
    dragging_ = false;
    lengthSeconds_ = 0;
    positionMs_ = 0;
    relayout();
}

QRect TimelineStrip::profileRect() const {
    const int bottom = tripEdges_.empty() ? kInset : kInset + kTripBand + 1;
    return rect().adjusted(kInset, kEventBand, -kInset, -bottom);
}

QRect TimelineStrip::tripRect() const {
    return QRect(kInset, height() - kInset - kTripBand, std::max(width() - 2 * kInset, 0), kTripBand);
}

TimelineScale TimelineStrip::scale() const {
    const int64_t span = lengthSeconds_ > 0 ? static_cast<int64_t>(lengthSeconds_) * 1000 : profile_.lastMs();
    return TimelineScale(profileRect().width(), span);
}

void TimelineStrip::relayout() {
    lines_ = profile_.polylines(scale());
    drawnPoints_ = 0;
    for (const auto& line : lines_) drawnPoints_ += static_cast<int>(line.size());
    update();
}

void TimelineStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void TimelineStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setPen(kFrame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // The band between the top and the profile stays free for event ticks.
    const QRect area = profileRect();
    // Never a scale of 0: a clip standing still is drawn along the bottom.
    const double top = std::max(profile_.maxKmh(), 10.0);
    auto yOf = [&](double kmh) { return area.bottom() - kmh / top * (area.height() - 1); };
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& line : lines_) {
        QPainterPath path;
        path.moveTo(area.left() + line.front().x, yOf(line.front().kmh));
        for (const ProfilePoint& p : line) path.lineTo(area.left() + p.x, yOf(p.kmh));
        QPainterPath fill = path;
        fill.lineTo(area.left() + line.back().x, area.bottom());
        fill.lineTo(area.left() + line.front().x, area.bottom());
        fill.closeSubpath();
        painter.fillPath(fill, kFill);
        painter.strokePath(path, QPen(kLine, 1.5));
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    const TimelineScale timeScale = scale();
    for (const TripEvent& e : eventTicks_) {
        QColor colour = eventColour(e.kind);
        const int x = area.left() + static_cast<int>(std::lround(timeScale.xOf(e.timeMs)));
        painter.fillRect(QRect(x - 1, kInset, 3, kEventBand + 2), colour);
        colour.setAlpha(110);
        painter.fillRect(QRect(x, area.top(), 1, area.height()), colour);
    }

    if (!tripEdges_.empty()) {
        const QRect band = tripRect();
        for (size_t i = 0; i + 1 < tripEdges_.size(); ++i) {
            const int left = band.left() + static_cast<int>(std::lround(tripEdges_[i] * band.width()));
            const int right = band.left() + static_cast<int>(std::lround(tripEdges_[i + 1] * band.width()));
            // A pixel's gap marks the boundary between two clips.
            const QRect piece(left, band.top(), std::max(right - left - 1, 1), band.height());
            painter.fillRect(piece, i == tripClip_ ? kTripCurrent : kTripClip);
        }
    }

    if (profile_.maxKmh() > 0.0) {
        const double shown = Units::speed(profile_.maxKmh(), units_);
        const QString unit = units_ == UnitSystem::Imperial ? imperialUnit_ : metricUnit_;
        QFont small = font();
        small.setPointSizeF(std::max(small.pointSizeF() * 0.75, 6.0));
        painter.setFont(small);
        painter.setPen(kLabel);
        // Over the whole strip (the profile's area is lower than a line of
        // text), on a patch of the background so the line does not cross it.
        const QString label = QString::number(std::lround(shown)) + u' ' + unit;
        const QRect box = painter.fontMetrics().boundingRect(label).adjusted(-3, 0, 3, 0);
        const QRect at(width() - kInset - box.width(), (height() - box.height()) / 2, box.width(), box.height());
        painter.fillRect(at, kBackground);
        painter.drawText(at, Qt::AlignCenter, label);
    }

    const TimelineScale s = scale();
    if (s.spanMs() > 0) {
        const int x = area.left() + static_cast<int>(std::lround(s.xOf(positionMs_)));
        painter.setPen(QPen(kPlayhead, 2));
        painter.drawLine(x, kInset, x, height() - kInset - 1);
    }
}

void TimelineStrip::followPointer(double x) {
    const TimelineScale s = scale();
    positionMs_ = static_cast<int64_t>(s.secondsAt(x - profileRect().left())) * 1000;
    update();
}

void TimelineStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || lengthSeconds_ <= 0) return;
    dragging_ = true;
    followPointer(event->position().x());
}

void TimelineStrip::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) followPointer(event->position().x());
}

void TimelineStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) return;
    dragging_ = false;
    followPointer(event->position().x());
    // Like the slider: one seek, where the button comes up.
    if (seek_ && lengthSeconds_ > 0) seek_(static_cast<int32_t>(positionMs_ / 1000));
}
