#pragma once
// The main window's skin in a window of its own, built with the control
// factory of the main window, for the tests of the shell.
#include "app/ControlFactory.h"
#include "ui/CXMLWnd.h"
#include "ui/UiLibrary.h"

#include <vector>

class MainSkinWindow : public ui::CXMLWnd {
public:
    explicit MainSkinWindow(const QString& skinFile = "Zemta.xml") : CXMLWnd(skinFile) {}

    QWidget* CreateControl(const QString& className, QWidget* parent) override {
        asked << className;
        return factory.create(*this, className, parent);
    }
    void Notify(const ui::Notification& msg) override {
        notes.push_back(msg);
        CXMLWnd::Notify(msg);
    }

    ControlFactory factory;
    QStringList asked;
    std::vector<ui::Notification> notes;
};

// The skin of the source tree, so a test never sees a stale copy.
inline void useSourceSkin() {
    ui::setResourcePath(VELTARA_TEST_DATA_DIR "skin/");
}
