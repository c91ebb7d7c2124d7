#pragma once
// CTreskChartUI: the chart control "accChart" of the main window's skin
// (class "TreskChart"). Draws line series against an X axis and up to four
// Y axis slots (only slot 0 is shown) inside a plot area with a frame, tick
// marks at automatic 1-2-5 steps and labelled Y ticks. Axes keep a raw range
// in the units of the data and show it divided by a common power of ten.
// Until its owner marks it configured it paints nothing at all.
//
// Threads: created, laid out and painted on the UI thread; SetAttribute is
// UI-thread only. The owner's operations (series, ranges, pens, fits) may
// run on another thread while it holds LockSeries(): painting takes the same
// lock while it reads them. Invalidate and IsConfigured may be called from
// any thread. Painting never blocks for longer than an owner holds the lock.
// Lifecycle: made by the main window's control factory, configured once by
// its owner (CAccelerationFeed), then repainted whenever asked; series live
// as long as the chart.
#include "chart/AxisScale.h"
#include "chart/CCurve.h"
#include "chart/ChartInsets.h"
#include "chart/CurveHost.h"
#include "chart/PlotRect.h"
#include "chart/YAxisStyle.h"

#include <QFont>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CTreskChartUI : public QWidget, public CurveHost {
    Q_OBJECT
public:
    static constexpr int kSlots = 4;

    explicit CTreskChartUI(QWidget* parent = nullptr);
    ~CTreskChartUI() override;

    static QString GetClass() { return QStringLiteral("TreskChartUI"); }

    // Skin attributes: "inset" (left,top,right,bottom of the plot area),
    // "bkcolor" (the whole control) and "bkcolor2" (the plot area), colours
    // as "#AARRGGBB". Dynamic properties of these names set by the skin
    // loader arrive here too. False for a name the chart does not know.
    bool SetAttribute(const QString& name, const QString& value);
    void SetInsets(const ChartInsets& insets) { insets_ = insets; }
    ChartInsets GetInsets() const { return insets_; }
    // 0xAARRGGBB; a colour with alpha 0 is not drawn (the default).
    void SetBkColor(uint32_t argb) { bkColor_ = argb; }
    void SetBkColor2(uint32_t argb) { bkColor2_ = argb; }

    // Held by the owner while it changes series, ranges or pens.
    [[nodiscard]] std::unique_lock<std::mutex> LockSeries() { return std::unique_lock(seriesMutex_); }

    // -1 for a slot outside 0..3, else the index of the new series (red,
    // one pixel, solid).
    int AddCurve(std::string name, int slot);
    // The series stays at its address for the life of the chart.
    CCurve* GetCurve(int index);
    CCurve* FindCurve(std::string_view name);
    int GetCurveCount() const { return static_cast<int>(curves_.size()); }

    // A range with equal or non-finite ends is ignored: it has no scale.
    void SetXRange(double min, double max);
    void SetYRange(int slot, double min, double max);
    AxisScale GetXScale() const { return xScale_; }
    AxisScale GetYScale(int slot) const;
    void SetXMinorTicks(bool on) { xMinorTicks_ = on; }
    void SetYMinorTicks(int slot, bool on);

    // Grow the X range to the series' x values (exact ends, no margin).
    void FitXRangeToData();
    // Widen a Y range when the data of its series leave it, so the union of
    // old range and data fills `fill` of the new one.
    void FitYRangeToData(int slot, double fill);

    void SetUnit(std::string unit) { unit_ = std::move(unit); }
    // COLORREF 0x00BBGGRR.
    void SetFrameColor(uint32_t colorRef) { frameColor_ = colorRef; }
    void SetFramePenWidth(int width) { framePenWidth_ = width; }
    void SetYColor(int slot, uint32_t colorRef);
    void SetYPenWidth(int slot, int width);
    // Whether the slot's axis and labels are drawn, and at which edge (-1
    // left, +1 right); a slot's own unit, in place of the common one (its
    // labels then show the scale's numbers as they are).
    void SetYAxisShown(int slot, bool shown, int side);
    void SetYUnit(int slot, std::string unit);

    // The note drawn across the plot while the owner says the clip has no
    // data to draw (plain text, the chosen language's). UI thread.
    void SetNoDataText(const QString& text);
    // Owner state, under LockSeries().
    void SetShowNoData(bool show) { showNoData_ = show; }
    bool ShowsNoData() const { return showNoData_; }

    // Set last by the owner, once everything else is in place.
    void SetConfigured(bool configured) { configured_.store(configured, std::memory_order_release); }
    bool IsConfigured() const { return configured_.load(std::memory_order_acquire); }

    // Asks for a repaint; from another thread the request goes through the
    // UI thread's event queue.
    void Invalidate() override;

    // The whole paint into any painter (the widget's paint event, images).
    void Paint(QPainter& painter, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    static bool validSlot(int slot) { return static_cast<unsigned>(slot) < kSlots; }
    PlotRect PaintBkColor(QPainter& painter, const QRect& rect) const;
    void PaintBkImage(QPainter& painter, const PlotRect& plot);

    std::atomic<bool> configured_{false};
    std::mutex seriesMutex_;

    // Owner state: under seriesMutex_ when another thread may paint.
    std::string unit_;
    uint32_t frameColor_ = 0;
    int framePenWidth_ = 1;
    bool xMinorTicks_ = false;
    std::array<YAxisStyle, kSlots> yStyles_;
    std::array<std::optional<std::string>, kSlots> yUnits_;
    AxisScale xScale_ = AxisScale::fromRaw(0.0, 1.0);
    std::array<AxisScale, kSlots> yScales_;
    std::vector<std::unique_ptr<CCurve>> curves_;
    bool showNoData_ = false;

    // UI-thread state.
    QFont labelFont_;
    QString noDataText_;
    ChartInsets insets_;
    uint32_t bkColor_ = 0;
    uint32_t bkColor2_ = 0;
};
