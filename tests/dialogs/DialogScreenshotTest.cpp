// Every dialog built from its skin with the program's style: each control
// the code names is in its skin, no text is cut off, and a picture of each
// is saved for people to look at ($VELTARA_SCREENSHOT_DIR, else the build's
// screenshots folder).
#include "support/DialogFixture.h"
#include "dialogs/CDuiCleanTipWnd.h"
#include "dialogs/CDuiSettingWnd.h"
#include "dialogs/CDuiShowSnapsTipWnd.h"
#include "dialogs/CDuiSnapshotTipWnd.h"
#include "dialogs/ModalDialog.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

class DialogScreenshot : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::setResourcePath(QStringLiteral(VELTARA_TEST_DATA_DIR "skin/"));
        ui::installStyle();
        ASSERT_TRUE(ui::loadStyleSheet("style.qss"));
    }

    DialogFixture f{"Language=english.ini\nVO=gl:force-pbo\nAO=dsound\nDEVICE=1\nSSPreview=1\nCleanTip=1\n"};

    // Builds the dialog as it is run, checks it and saves its picture.
    void render(ui::CXMLWnd& window, const char* name, const QStringList& controls, const QString& file) {
        ASSERT_TRUE(ModalDialog::Prepare(window, &f.mainWindow, name));
        window.show();
        QApplication::processEvents();
        for (const QString& control : controls)
            EXPECT_NE(window.FindControl(control), nullptr) << control.toStdString();
        // Labels, buttons and lists that fit their entries get the room their text asks for.
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisible() || w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) continue;
            if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) continue;
            auto* combo = qobject_cast<QComboBox*>(w);
            if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                (combo && combo->sizeAdjustPolicy() == QComboBox::AdjustToContents)) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
            }
        }
        const QString dir = qEnvironmentVariableIsSet("VELTARA_SCREENSHOT_DIR")
                                ? qEnvironmentVariable("VELTARA_SCREENSHOT_DIR")
                                : QStringLiteral(VELTARA_TEST_SCREENSHOT_DIR);
        QDir().mkpath(dir);
        const QImage shot = window.grab().toImage();
        EXPECT_EQ(shot.size(), window.size());
        EXPECT_TRUE(shot.save(dir + "/" + file));
        window.Close(ui::IDCANCEL);
    }
};

TEST_F(DialogScreenshot, SettingWindow) {
    // Russian has the longest names.
    for (const std::string language : {"english", "russian", "german"}) {
        f.config.languageFile = language + ".ini";
        f.config.videoOutput = "directx:noaccel";
        f.store.SetLanguageFilePath(f.store.languageFolder() + f.config.languageFile);
        CDuiSettingWnd window(CDuiSettingWnd::kSkinFile, f.config, f.store, [] {
            return std::vector<std::string>{"Autoselect device", "Built-in Audio Analog Stereo",
                                            "HDMI / DisplayPort 1"};
        });
        render(window, CDuiSettingWnd::kWindowName,
               {"LanguangeCombo", "VideoCombo", "SoundCombo", "SoundCardCombo", "OKButton", "CancleButton",
                "LanguangeLabel", "VideoLabel", "SoundLabel", "SoundCardLabel", "VersionLabel", "GeneralOption",
                "showBox", "TimeZoneLabel", "TimeZoneCombo"},
               QString::fromStdString(language == "english" ? "settings.png" : "settings-" + language + ".png"));
    }
}

TEST_F(DialogScreenshot, CleanTipWindow) {
    CDuiCleanTipWnd window(CDuiCleanTipWnd::kSkinFile, f.config, f.store);
    render(window, CDuiCleanTipWnd::kWindowName,
           {"CleanTitleLabel", "ShowAgainCheckBox", "CleanContentLabelOne", "CleanContentLabelTwo", "CleanOKButton",
            "CleanCancleButton"},
           "clean-tip.png");
}

// A dash camera's view of a road at dusk, drawn here.
QString drawRoad(const std::string& folder) {
    QImage image(1280, 720, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 360);
    sky.setColorAt(0, QColor(0x1d, 0x3b, 0x6a));
    sky.setColorAt(1, QColor(0xe0, 0x93, 0x5a));
    p.fillRect(0, 0, 1280, 360, sky);
    p.fillRect(0, 360, 1280, 360, QColor(0x2b, 0x33, 0x2a));
    QPainterPath road;
    road.moveTo(560, 360);
    road.lineTo(720, 360);
    road.lineTo(1180, 720);
    road.lineTo(100, 720);
    p.fillPath(road, QColor(0x3c, 0x3e, 0x42));
    p.setPen(QPen(QColor(0xe8, 0xe2, 0xc8), 6));
    for (int i = 0; i < 4; ++i) {
        const double t0 = 0.08 + i * 0.2;
        const double t1 = t0 + 0.1;
        p.drawLine(QPointF(640, 360 + 360 * t0 * t0), QPointF(640, 360 + 360 * t1 * t1));
    }
    p.fillRect(0, 650, 1280, 70, QColor(0, 0, 0, 150));
    p.setPen(QColor(0xff, 0xff, 0xff));
    p.setFont(QFont("DejaVu Sans Mono", 22));
    p.drawText(24, 690, "2016/05/20 18:42:07   43 km/h   N22.5624 E113.9367");
    p.end();
    const QString path = QString::fromStdString(folder) + "shot0001.png";
    image.save(path, "PNG");
    return path;
}

TEST_F(DialogScreenshot, SnapshotWindows) {
    const QString path = drawRoad(f.program.path());
    CDuiSnapshotTipWnd preview(CDuiSnapshotTipWnd::kSkinFile, f.config, f.store);
    preview.SetPicture(path, 1280, 720);
    render(preview, CDuiSnapshotTipWnd::kWindowName, {"titleLabel", "showBox", "SnapshotPreviewer", "closebtn"},
           "snapshot.png");

    CDuiShowSnapsTipWnd notice(CDuiShowSnapsTipWnd::kSkinFile, f.store);
    notice.SetSnapshotPath(QStringLiteral("/home/driver/Documents/Veltara DVR Player/shot0001.png"));
    render(notice, CDuiShowSnapsTipWnd::kWindowName, {"PathTitleLabel", "PathContentEdit", "ShowPathOKButton"},
           "snapshot-path.png");
}

}  // namespace
