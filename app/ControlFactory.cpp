#include "app/ControlFactory.h"

#include "app/CWndUI.h"
#include "app/VideoWindow.h"
#include "ui/CXMLWnd.h"

#include <QWidget>

ControlFactory::ControlClass ControlFactory::classify(const QString& className) {
    static const char* const subLayouts[] = {"Caption", "PlayPanel", "Shortcuts", "GPSInfo", "Playlist"};
    for (const char* name : subLayouts) {
        if (className.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return {Kind::SubLayout, QLatin1String(name) + QStringLiteral(".xml")};
        }
    }
    if (className.compare(QLatin1String("WndUI"), Qt::CaseInsensitive) == 0) return {Kind::VideoHost, {}};
    if (className == u"TreskChart") return {Kind::Chart, {}};
    if (className == u"WebBrowser") return {Kind::WebBrowser, {}};
    if (className == u"PlayListTreeView") return {Kind::PlaylistTree, {}};
    if (className == u"TimelineStrip") return {Kind::Timeline, {}};
    return {};
}

QWidget* ControlFactory::create(ui::CXMLWnd& window, const QString& className, QWidget* parent) const {
    const ControlClass cls = classify(className);
    switch (cls.kind) {
        case Kind::SubLayout:
            return window.BuildSubLayout(cls.skinFile, parent);
        case Kind::VideoHost: {
            auto* host = new CWndUI(parent);
            host->Attach(new VideoWindow(host));
            return host;
        }
        case Kind::Chart:
            return chartMaker ? chartMaker(parent) : placeholder(className, parent);
        case Kind::WebBrowser:
            return webBrowserMaker ? webBrowserMaker(parent) : placeholder(className, parent);
        case Kind::PlaylistTree:
            // Without a maker the skin's base class (a tree widget) is built.
            return playlistTreeMaker ? playlistTreeMaker(parent) : nullptr;
        case Kind::Timeline:
            return timelineMaker ? timelineMaker(parent) : placeholder(className, parent);
        case Kind::None:
            break;
    }
    return nullptr;
}

QWidget* ControlFactory::placeholder(const QString& className, QWidget* parent) {
    auto* widget = new QWidget(parent);
    widget->setProperty("veltaraClass", className);
    widget->setAttribute(Qt::WA_StyledBackground);  // the style sheet gives it its panel look
    return widget;
}
