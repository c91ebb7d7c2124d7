#pragma once
// One series of the chart: a name, parallel sequences of x and y values, a
// pen and the Y axis slot it is drawn against. When the two sequences differ
// in length only the first min(x count, y count) pairs are drawn and fitted.
//
// Threads: created by the chart; read by the chart's paint and changed by
// its owner, both while holding the chart's series lock (see CTreskChartUI).
#include "chart/CurveHost.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CCurve {
public:
    // GDI pen styles, as the owner gives them.
    enum PenStyle : int { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5 };

    CCurve(std::string name, int slot, CurveHost* owner);

    const std::string& GetName() const { return name_; }
    int GetSlot() const { return slot_; }

    // Appends (x, y), or inserts it in front of the first pair; with repaint
    // the chart is asked to repaint.
    void AddPoint(double x, double y, bool repaint = false, bool atFront = false);
    // Empties both sequences; name, pen and slot stay.
    void ClearPoints();

    const std::vector<double>& XValues() const { return x_; }
    const std::vector<double>& YValues() const { return y_; }
    // Number of pairs that take part in drawing and fitting.
    size_t PointCount() const { return x_.size() < y_.size() ? x_.size() : y_.size(); }

    // Pen colour as a COLORREF (0x00BBGGRR).
    uint32_t GetColor() const { return color_; }
    void SetColor(uint32_t colorRef) { color_ = colorRef; }
    int GetPenWidth() const { return penWidth_; }
    void SetPenWidth(int width) { penWidth_ = width; }
    int GetPenStyle() const { return penStyle_; }
    void SetPenStyle(int style) { penStyle_ = style; }

private:
    std::string name_;
    std::vector<double> x_;
    std::vector<double> y_;
    uint32_t color_ = 0xFF0000;
    int penWidth_ = 1;
    int penStyle_ = PS_SOLID;
    CurveHost* owner_;  // not owned
    int slot_;
};
