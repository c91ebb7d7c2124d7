#include "ui/DesignerPluginGuard.h"

#include <QCoreApplication>

namespace ui {

DesignerPluginGuard::DesignerPluginGuard() : saved_(QCoreApplication::libraryPaths()), hidden_(true) {
    QCoreApplication::setLibraryPaths({});
}

void DesignerPluginGuard::release() {
    if (!hidden_) return;
    hidden_ = false;
    QCoreApplication::setLibraryPaths(saved_);
}

}  // namespace ui
