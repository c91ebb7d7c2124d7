#include "dialogs/ModalDialog.h"

#include "config/Version.h"
#include "ui/CXMLWnd.h"

#include <QLayout>
#include <QPointer>

namespace {
QPointer<ui::CXMLWnd>& activeDialog() {
    static QPointer<ui::CXMLWnd> active;
    return active;
}
}  // namespace

bool ModalDialog::Prepare(ui::CXMLWnd& window, QWidget* parent, const QString& name) {
    window.setObjectName(name);
    if (!window.Create(parent, QStringLiteral(VELTARA_PRODUCT_NAME))) return false;
    // The texts set in InitWindow and the style sheet's fonts may need more
    // room than the skin gave; the sheet counts only once it is applied.
    window.ensurePolished();
    for (QWidget* control : window.findChildren<QWidget*>()) control->ensurePolished();
    for (QLayout* layout : window.findChildren<QLayout*>()) layout->invalidate();
    if (QLayout* layout = window.layout()) layout->activate();
    window.setFixedSize(window.size().expandedTo(window.sizeHint()));
    window.CenterWindow();
    return true;
}

int ModalDialog::Run(ui::CXMLWnd& window, QWidget* parent, const QString& name) {
    if (!Prepare(window, parent, name)) return 0;
    // A dialog may open another; the outer one is active again afterwards.
    const QPointer<ui::CXMLWnd> outer = activeDialog();
    activeDialog() = &window;
    const int code = window.ShowModal();
    activeDialog() = outer;
    return code;
}

ui::CXMLWnd* ModalDialog::Active() {
    return activeDialog().data();
}
