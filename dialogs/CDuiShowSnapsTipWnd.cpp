#include "dialogs/CDuiShowSnapsTipWnd.h"

#include "dialogs/DialogStyle.h"
#include "dialogs/DialogText.h"

#include <QLineEdit>

CDuiShowSnapsTipWnd::CDuiShowSnapsTipWnd(QString skinFile, const ConfigStore& store)
    : CXMLWnd(std::move(skinFile)), store_(store) {}

void CDuiShowSnapsTipWnd::InitWindow() {
    DialogStyle::apply(*this);
    DialogText::show(FindControl("PathTitleLabel"), store_, "IDS_SAVEPATH", DialogText::kSnapshotSection);
    if (auto* edit = FindControl<QLineEdit>("PathContentEdit")) {
        edit->setText(snapshotPath_);
        edit->setToolTip(DialogText::plainToolTip(snapshotPath_));
        // The end of a long path, the file name, is the part to see.
        edit->setCursorPosition(static_cast<int>(snapshotPath_.size()));
    }
    DialogText::show(FindControl("ShowPathOKButton"), store_, "IDS_OK", DialogText::kMainSection);
    // Space answers the window at once.
    if (QWidget* ok = FindControl("ShowPathOKButton")) ok->setFocus();
}

void CDuiShowSnapsTipWnd::OnClick(const ui::Notification& msg) {
    if (msg.senderName() == u"ShowPathOKButton") Close(ui::IDOK);
    CXMLWnd::OnClick(msg);
}
