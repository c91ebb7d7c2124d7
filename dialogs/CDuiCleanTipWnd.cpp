#include "dialogs/CDuiCleanTipWnd.h"

#include "dialogs/DialogStyle.h"
#include "dialogs/DialogText.h"

#include <QAbstractButton>

CDuiCleanTipWnd::CDuiCleanTipWnd(QString skinFile, AppConfig& config, ConfigStore& store)
    : CXMLWnd(std::move(skinFile)), config_(config), store_(store) {}

void CDuiCleanTipWnd::InitWindow() {
    DialogStyle::apply(*this);
    constexpr auto snapshot = DialogText::kSnapshotSection;
    constexpr auto main = DialogText::kMainSection;
    againCheck_ = FindControl<QAbstractButton>("ShowAgainCheckBox");
    DialogText::show(FindControl("CleanTitleLabel"), store_, "IDS_CLEANTITLE", snapshot);
    DialogText::show(againCheck_, store_, "IDS_NOAGAIN", snapshot);
    DialogText::show(FindControl("CleanContentLabelOne"), store_, "IDS_CLEANTIPCONTENT", snapshot);
    DialogText::show(FindControl("CleanContentLabelTwo"), store_, "IDS_CLEANTIPCONTENTTWO", snapshot);
    DialogText::show(FindControl("CleanOKButton"), store_, "IDS_OK", main);
    DialogText::show(FindControl("CleanCancleButton"), store_, "IDS_CANCEL", main);
    // Space answers the window at once.
    if (QWidget* ok = FindControl("CleanOKButton")) ok->setFocus();
}

void CDuiCleanTipWnd::OnClick(const ui::Notification& msg) {
    const QString name = msg.senderName();
    if (name == u"CleanOKButton") {
        Close(ui::IDOK);
    } else if (name == u"CleanCancleButton") {
        Close(ui::IDCANCEL);
    }
    CXMLWnd::OnClick(msg);
}

void CDuiCleanTipWnd::OnDestroy() {
    // Every way of closing ends here, so the box counts for all of them.
    if (againCheck_ && againCheck_->isChecked()) {
        config_.cleanTip = false;
        store_.WriteConfigInt(0, "CleanTip");
    }
    CXMLWnd::OnDestroy();
}
