#include "dialogs/CDuiSnapshotTipWnd.h"

#include "dialogs/DialogStyle.h"
#include "dialogs/DialogText.h"
#include "dialogs/PictureFit.h"
#include "ui/ControlText.h"

#include <QAbstractButton>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

CDuiSnapshotTipWnd::CDuiSnapshotTipWnd(QString skinFile, AppConfig& config, ConfigStore& store)
    : CXMLWnd(std::move(skinFile)), config_(config), store_(store) {}

void CDuiSnapshotTipWnd::SetPicture(QString snapshotPath, uint32_t pictureWidth, uint32_t pictureHeight) {
    snapshotPath_ = std::move(snapshotPath);
    pictureWidth_ = pictureWidth;
    pictureHeight_ = pictureHeight;
}

void CDuiSnapshotTipWnd::InitWindow() {
    DialogStyle::apply(*this);
    constexpr auto snapshot = DialogText::kSnapshotSection;
    if (QWidget* title = FindControl("titleLabel")) {
        // The label may cut a long path; the tooltip always has all of it.
        const QString text = DialogText::read(store_, "IDS_SSHOTVIEW", snapshot) + QStringLiteral(": ") + snapshotPath_;
        ui::setControlText(title, text);
        title->setToolTip(DialogText::plainToolTip(text));
    }
    againCheck_ = FindControl<QAbstractButton>("showBox");
    DialogText::show(againCheck_, store_, "IDS_NOAGAIN", snapshot);
    placePicture();
}

void CDuiSnapshotTipWnd::placePicture() {
    QWidget* previewer = FindControl("SnapshotPreviewer");
    if (!previewer) return;
    const PictureRect rect = PictureFit::fit(pictureWidth_, pictureHeight_);
    // Placed by hand inside the previewer, which has no layout of its own.
    auto* picture = new QLabel(previewer);
    picture->setObjectName(kPictureName);
    picture->setGeometry(rect.left, rect.top, rect.width(), rect.height());
    picture->setScaledContents(true);
    if (rect.width() > 0 && rect.height() > 0) {
        // Read straight at the size it is shown at; the file is only ever an image.
        QImageReader reader(snapshotPath_);
        reader.setScaledSize(QSize(rect.width(), rect.height()));
        const QImage image = reader.read();
        if (!image.isNull()) picture->setPixmap(QPixmap::fromImage(image));
    }
    picture->show();
}

void CDuiSnapshotTipWnd::OnDestroy() {
    if (againCheck_ && againCheck_->isChecked()) {
        config_.snapshotPreview = false;
        store_.WriteConfigInt(0, "SSPreview");
    }
    CXMLWnd::OnDestroy();
}
