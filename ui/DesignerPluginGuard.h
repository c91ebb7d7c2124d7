#pragma once
// Keeps Qt Designer plug-ins out of the skin loader. QUiLoader loads every
// plug-in in the "designer" folders of the library paths as it is
// constructed, and one of them (the web view's) would start the web engine
// before the application has set it up. Constructed just before a
// QUiLoader, a guard hides the library paths; release() puts them back.
//
// Threads: UI thread only.
#include <QStringList>

namespace ui {

class DesignerPluginGuard {
public:
    DesignerPluginGuard();
    ~DesignerPluginGuard() { release(); }
    DesignerPluginGuard(const DesignerPluginGuard&) = delete;
    DesignerPluginGuard& operator=(const DesignerPluginGuard&) = delete;

    void release();

private:
    QStringList saved_;
    bool hidden_ = false;
};

}  // namespace ui
