#pragma once
// The commands of the test driver, one line each, answered with one line of
// JSON. Commands that act as the user does go through the same path as the
// user's input and are queued, so their answer comes at once:
//   click NAME          a button click
//   key NAME            one key press in Qt's notation (Return, F8, Space,
//                       Shift+N, Right, ".", "[")
//   focus NAME          the control takes the keyboard focus
//   drop PATH[\tPATH…]  files dropped on the window, in order
//   play PATH           the start sequence on PATH, as for a playlist entry
//                       but without the playlist
//   activate ROW        a playlist row activated (the ROW-th of the dump's rows)
//   layout NAME         the cameras' layout: inset, inset-swapped, side, single, grid, strip
//   chart NAME          what the chart shows, as its menu chooses: g, car, both
//   delete ROW          a playlist row's delete button
//   slide NAME VALUE    the user moves a slider
//   select NAME INDEX   the user picks a combo box item
//   check NAME 0|1      the user ticks or clears a check box
//   videoclick X Y      a single left click on the picture at those fractions
//   timelineclick FRACTION  a mouse click on the timeline strip at that
//                       fraction (0..1) of its width
//   mapclick LAT LNG    a click on the map at that WGS-84 position, through
//                       the page's own click handler
//   export CLIP SECONDS DURATION [OPTION…]  exports a stretch of a playlist
//                       clip (its path may hold blanks) without the dialog;
//                       options, any order: nooverlay (the original frames),
//                       inset (the partner inset), proposed (as the dialog's
//                       unchanged proposal: within the drive), originals (and
//                       the frame hashes), timestamp (SHA256SUMS.tsq),
//                       key=PEM cert=PEM [password=TEXT] (signed), shown (the
//                       other cameras as the window shows them),
//                       layout=grid|strip|single and large=1..6 (a car's
//                       cameras in that layout); the dump's "export" follows it
//   repair ROW [REFERENCE]  repairs the ROW-th row's clip cut short, from the
//                       reference or the nearest healthy clip (no question
//                       asked); the dump's playlist "repair" follows it
//   dump                the window's state
//   quit                the window's close button
// Controls are looked up in an open modal dialog first, then in the main
// window. A control the user could not reach (hidden or disabled) is refused.
// Answers: {"ok":true}, {"ok":false,"error":…}, or the dump's object.
//
// Threads: UI thread only.
#include <QByteArray>
#include <QJsonObject>
#include <QString>

class CDuiFrameWnd;
class QWidget;

class TestDriverCommands {
public:
    explicit TestDriverCommands(CDuiFrameWnd& window) : window_(window) {}

    // One command line without its line end; returns the compact JSON answer.
    QByteArray Execute(const QString& line);
    QJsonObject Dump() const;

private:
    QJsonObject click(const QString& name);
    QJsonObject key(const QString& name);
    QJsonObject focus(const QString& name);
    QJsonObject drop(const QString& paths);
    QJsonObject play(const QString& path);
    QJsonObject activate(const QString& row);
    QJsonObject layout(const QString& name);
    QJsonObject chart(const QString& name);
    QJsonObject videoClick(const QString& arguments);
    QJsonObject deleteRow(const QString& row);
    QJsonObject slide(const QString& arguments);
    QJsonObject select(const QString& arguments);
    QJsonObject check(const QString& arguments);
    QJsonObject timelineClick(const QString& fraction);
    QJsonObject mapClick(const QString& arguments);
    QJsonObject exportStretch(const QString& arguments);
    QJsonObject repair(const QString& arguments);
    QJsonObject quit();
    // A control the user can reach, or nullptr with the reason in error.
    QWidget* reachable(const QString& name, QString& error) const;
    QWidget* find(const QString& name) const;

    CDuiFrameWnd& window_;
};
