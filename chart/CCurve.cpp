#include "chart/CCurve.h"

#include <utility>

CCurve::CCurve(std::string name, int slot, CurveHost* owner) : name_(std::move(name)), owner_(owner), slot_(slot) {}

void CCurve::AddPoint(double x, double y, bool repaint, bool atFront) {
    if (atFront) {
        x_.insert(x_.begin(), x);
        y_.insert(y_.begin(), y);
    } else {
        x_.push_back(x);
        y_.push_back(y);
    }
    if (repaint && owner_) owner_->Invalidate();
}

void CCurve::ClearPoints() {
    x_.clear();
    y_.clear();
}
