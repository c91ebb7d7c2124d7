#pragma once
// The custom controls of the main window's skin, for its CreateControl:
// the sub-layouts ("Caption", "PlayPanel", "Shortcuts", "GPSInfo",
// "Playlist" and "WndUI" match without regard to case), the chart
// ("TreskChart", exact), the map's browser ("WebBrowser", exact), the
// playlist tree ("PlayListTreeView", exact) and the timeline strip
// ("TimelineStrip", exact). The chart, browser, tree and strip come from
// makers their modules install; without one, the control is a
// plain placeholder marked with its class in the property "veltaraClass".
//
// Threads: UI thread only.
#include <QString>
#include <functional>

class QWidget;
namespace ui {
class CXMLWnd;
}

class ControlFactory {
public:
    enum class Kind { None, SubLayout, VideoHost, Chart, WebBrowser, PlaylistTree, Timeline };
    struct ControlClass {
        Kind kind = Kind::None;
        QString skinFile;  // for a sub-layout
    };
    using Maker = std::function<QWidget*(QWidget* parent)>;

    static ControlClass classify(const QString& className);

    // nullptr for a class that is not ours, or a sub-layout that cannot be built.
    QWidget* create(ui::CXMLWnd& window, const QString& className, QWidget* parent) const;

    Maker chartMaker;
    Maker webBrowserMaker;
    Maker playlistTreeMaker;
    Maker timelineMaker;

private:
    static QWidget* placeholder(const QString& className, QWidget* parent);
};
