#include "chart/CTreskChartUI.h"

#include "chart/ChartColor.h"
#include "chart/ChartPainter.h"
#include "chart/DataExtent.h"
#include "chart/RangeFit.h"

#include <QDynamicPropertyChangeEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>

namespace {

// Labels in 12-pixel Arial (or its substitute) fit the 24 pixels left of the axis.
constexpr int kLabelPixelSize = 12;

}  // namespace

CTreskChartUI::CTreskChartUI(QWidget* parent) : QWidget(parent), labelFont_(QStringLiteral("Arial")) {
    labelFont_.setPixelSize(kLabelPixelSize);
    yStyles_[0] = {0, 0, false, -1, 0, true};
    yStyles_[1] = {0, 0, false, +1, 0, false};
    yStyles_[2] = {0, 0, false, -1, -50, false};
    yStyles_[3] = {0, 0, false, +1, +50, false};
    yScales_.fill(AxisScale::fromRaw(0.0, 1.0));
}

CTreskChartUI::~CTreskChartUI() = default;

bool CTreskChartUI::SetAttribute(const QString& name, const QString& value) {
    if (name == u"inset") {
        insets_ = ChartInsets::parse(value.toStdString());
    } else if (name == u"bkcolor" || name == u"bkcolor2") {
        const auto argb = ChartColor::parseArgb(value);
        if (!argb) return true;  // our attribute, but not a colour: keep the old one
        (name == u"bkcolor" ? bkColor_ : bkColor2_) = *argb;
    } else {
        return false;
    }
    Invalidate();
    return true;
}

int CTreskChartUI::AddCurve(std::string name, int slot) {
    if (!validSlot(slot)) return -1;
    curves_.push_back(std::make_unique<CCurve>(std::move(name), slot, this));
    return static_cast<int>(curves_.size()) - 1;
}

CCurve* CTreskChartUI::GetCurve(int index) {
    if (index < 0 || index >= GetCurveCount()) return nullptr;
    return curves_[static_cast<size_t>(index)].get();
}

CCurve* CTreskChartUI::FindCurve(std::string_view name) {
    for (const auto& curve : curves_) {
        if (curve->GetName() == name) return curve.get();
    }
    return nullptr;
}

void CTreskChartUI::SetXRange(double min, double max) {
    if (!AxisScale::usableRange(min, max)) return;
    xScale_ = AxisScale::fromRaw(min, max);
}

void CTreskChartUI::SetYRange(int slot, double min, double max) {
    if (!validSlot(slot) || !AxisScale::usableRange(min, max)) return;
    yScales_[static_cast<size_t>(slot)] = AxisScale::fromRaw(min, max);
}

AxisScale CTreskChartUI::GetYScale(int slot) const {
    return validSlot(slot) ? yScales_[static_cast<size_t>(slot)] : AxisScale{};
}

void CTreskChartUI::SetYMinorTicks(int slot, bool on) {
    if (validSlot(slot)) yStyles_[static_cast<size_t>(slot)].minorTicks = on;
}

void CTreskChartUI::SetYColor(int slot, uint32_t colorRef) {
    if (validSlot(slot)) yStyles_[static_cast<size_t>(slot)].color = colorRef;
}

void CTreskChartUI::SetYPenWidth(int slot, int width) {
    if (validSlot(slot)) yStyles_[static_cast<size_t>(slot)].penWidth = width;
}

void CTreskChartUI::SetYAxisShown(int slot, bool shown, int side) {
    if (!validSlot(slot)) return;
    yStyles_[static_cast<size_t>(slot)].enabled = shown;
    yStyles_[static_cast<size_t>(slot)].side = side < 0 ? -1 : +1;
}

void CTreskChartUI::SetYUnit(int slot, std::string unit) {
    if (validSlot(slot)) yUnits_[static_cast<size_t>(slot)] = std::move(unit);
}

void CTreskChartUI::FitXRangeToData() {
    const auto fit = RangeFit::growX(xScale_.rawMin, xScale_.rawMax, DataExtent::ofX(curves_));
    if (!fit) return;
    if (fit->changed) xScale_ = AxisScale::fromRaw(fit->min, fit->max);
    Invalidate();
}

void CTreskChartUI::FitYRangeToData(int slot, double fill) {
    if (!validSlot(slot)) return;
    AxisScale& scale = yScales_[static_cast<size_t>(slot)];
    const auto fit = RangeFit::widenY(scale.rawMin, scale.rawMax, DataExtent::ofY(curves_, slot), fill);
    if (!fit) return;
    if (fit->changed) scale = AxisScale::fromRaw(fit->min, fit->max);
    Invalidate();
}

void CTreskChartUI::SetNoDataText(const QString& text) {
    noDataText_ = text;
    Invalidate();
}

void CTreskChartUI::Invalidate() {
    if (QThread::currentThread() == thread()) {
        update();
    } else {
        // Queued to this object: dropped if the chart is gone by then.
        QMetaObject::invokeMethod(
            this, [this] { update(); }, Qt::QueuedConnection);
    }
}

void CTreskChartUI::Paint(QPainter& painter, const QRect& rect) {
    if (!IsConfigured()) return;
    const std::lock_guard lock(seriesMutex_);
    const PlotRect plot = PaintBkColor(painter, rect);
    PaintBkImage(painter, plot);
}

PlotRect CTreskChartUI::PaintBkColor(QPainter& painter, const QRect& rect) const {
    // Edges as the GDI counts them: right and bottom are one past the area.
    const PlotRect plot{rect.left() + insets_.left, rect.top() + insets_.top,
                        rect.left() + rect.width() - insets_.right, rect.top() + rect.height() - insets_.bottom};
    if (qAlpha(bkColor_) != 0) painter.fillRect(rect, ChartColor::fromArgb(bkColor_));
    if (qAlpha(bkColor2_) != 0 && plot.drawable()) {
        painter.fillRect(QRect(plot.left, plot.top, plot.right - plot.left, plot.bottom - plot.top),
                         ChartColor::fromArgb(bkColor2_));
    }
    return plot;
}

void CTreskChartUI::PaintBkImage(QPainter& painter, const PlotRect& plot) {
    // A control smaller than its insets has no plot to draw in.
    if (!plot.drawable()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    ChartPainter chart(painter, plot);
    for (const auto& curve : curves_)
        chart.drawSeries(*curve, xScale_, yScales_[static_cast<size_t>(curve->GetSlot())]);
    chart.drawFrame(frameColor_, framePenWidth_, xScale_, xMinorTicks_);
    for (size_t slot = 0; slot < kSlots; ++slot) {
        if (yStyles_[slot].enabled)
            chart.drawYAxis(yStyles_[slot], yScales_[slot], labelFont_, yUnits_[slot].value_or(unit_),
                            yUnits_[slot].has_value());
    }
    if (showNoData_ && !noDataText_.isEmpty()) {
        painter.setPen(ChartColor::fromColorRef(frameColor_));
        painter.setFont(labelFont_);
        painter.drawText(QRect(plot.left, plot.top, plot.right - plot.left, plot.bottom - plot.top),
                         Qt::AlignCenter | Qt::TextWordWrap, noDataText_);
    }
    painter.restore();
}

void CTreskChartUI::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    Paint(painter, rect());
}

bool CTreskChartUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        const QVariant value = property(name.constData());
        if (value.isValid()) SetAttribute(QString::fromLatin1(name), value.toString());
    }
    return QWidget::event(event);
}
