#pragma once
// What a series needs from the chart that holds it: a way to ask for a
// repaint. Keeps the series free of the UI toolkit.
//
// Threads: Invalidate may be called from any thread.

class CurveHost {
public:
    virtual void Invalidate() = 0;

protected:
    ~CurveHost() = default;
};
