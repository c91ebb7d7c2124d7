// The notice windows: the clear confirmation and its box, the snapshot
// preview and its box, and the path notice, each run as the main window
// runs it and answered through the open dialog; the export dialog's language.
#include "support/DialogFixture.h"
#include "dialogs/CDuiSnapshotTipWnd.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/ModalDialog.h"
#include "dialogs/NoticeWindows.h"
#include "dialogs/VerifyWindow.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QCheckBox>
#include <functional>

namespace {

// Runs `answer` on the dialog once it is open.
void whenOpen(const QString& name, std::function<void(ui::CXMLWnd&)> answer) {
    QTimer::singleShot(0, [name, answer = std::move(answer)] {
        ui::CXMLWnd* dialog = ModalDialog::Active();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog, QApplication::activeModalWidget());
        EXPECT_EQ(dialog->objectName(), name);
        answer(*dialog);
    });
}

void tick(ui::CXMLWnd& dialog, const char* box) {
    dialog.FindControl<QAbstractButton>(box)->setChecked(true);
}
void click(ui::CXMLWnd& dialog, const char* button) {
    dialog.FindControl<QAbstractButton>(button)->click();
}

TEST(ConfirmClear, OnlyOkClearsAndATickedBoxCountsHoweverTheWindowCloses) {
    DialogFixture f("Language=english.ini\nCleanTip=1\n");
    whenOpen("CleanTipWindow", [](ui::CXMLWnd& d) {
        EXPECT_EQ(d.FindControl<QLabel>("CleanTitleLabel")->text(), "Clear playlist");
        click(d, "CleanOKButton");
    });
    EXPECT_TRUE(dialogs::ConfirmClear(&f.mainWindow, f.config, f.store));
    EXPECT_TRUE(f.config.cleanTip);
    EXPECT_NE(f.configText().find("CleanTip=1"), std::string::npos);

    whenOpen("CleanTipWindow", [](ui::CXMLWnd& d) { click(d, "CleanCancleButton"); });
    EXPECT_FALSE(dialogs::ConfirmClear(&f.mainWindow, f.config, f.store));
    EXPECT_TRUE(f.config.cleanTip);

    const std::function<void(ui::CXMLWnd&)> closings[] = {
        [](ui::CXMLWnd& d) { click(d, "CleanCancleButton"); },
        [](ui::CXMLWnd& d) { d.close(); },
        [](ui::CXMLWnd& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](ui::CXMLWnd& d) { click(d, "CleanOKButton"); },
    };
    for (size_t i = 0; i < std::size(closings); ++i) {
        DialogFixture ticked("Language=english.ini\nCleanTip=1\n");
        whenOpen("CleanTipWindow", [&](ui::CXMLWnd& d) {
            tick(d, "ShowAgainCheckBox");
            closings[i](d);
        });
        EXPECT_EQ(dialogs::ConfirmClear(&ticked.mainWindow, ticked.config, ticked.store), i == 3) << i;
        EXPECT_FALSE(ticked.config.cleanTip) << i;
        EXPECT_NE(ticked.configText().find("CleanTip=0"), std::string::npos) << i;
    }
}

// A picture of a road, as a dash camera would take it.
std::string drawSnapshot(const DialogFixture& f, const std::string& name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0x5b, 0x86, 0xb8));
    QPainter p(&image);
    p.fillRect(0, height / 2, width, height / 2, QColor(0x4a, 0x4d, 0x52));
    p.end();
    const std::string path = f.program.path() + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
}

TEST(SnapshotWindows, PreviewFitsThePictureAndItsBoxSwitchesToThePathNotice) {
    DialogFixture f("Language=english.ini\nSSPreview=1\n");
    // A name that looks like markup is shown as it stands.
    const std::string path = drawSnapshot(f, "<b>shot0001<i>.png", 640, 480);
    whenOpen("SnapshotTipWnd", [&](ui::CXMLWnd& d) {
        EXPECT_EQ(d.FindControl<QLabel>("titleLabel")->text(), "Snapshot preview: " + QString::fromStdString(path));
        auto* picture = d.FindControl<QLabel>(CDuiSnapshotTipWnd::kPictureName);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->parentWidget(), d.FindControl("SnapshotPreviewer"));
        EXPECT_EQ(picture->geometry(), QRect(75, 0, 450, 338));
        EXPECT_FALSE(picture->pixmap().isNull());
        tick(d, "showBox");
        click(d, "closebtn");
    });
    dialogs::ShowSnapshotPreview(&f.mainWindow, f.config, f.store, path, 640, 480);
    EXPECT_FALSE(f.config.snapshotPreview);
    EXPECT_NE(f.configText().find("SSPreview=0"), std::string::npos);

    // From now on the path notice, with the whole path as text and tooltip.
    const std::string plain = f.program.path() + "Veltara DVR Player/shot0002.png";
    whenOpen("ShowSnapsTipWindow", [&](ui::CXMLWnd& d) {
        auto* edit = d.FindControl<QLineEdit>("PathContentEdit");
        EXPECT_EQ(edit->text(), QString::fromStdString(plain));
        EXPECT_EQ(edit->toolTip(), QString::fromStdString(plain));
        EXPECT_EQ(d.FindControl<QLabel>("PathTitleLabel")->text(), "Snapshot saved to:");
        click(d, "ShowPathOKButton");
    });
    dialogs::ShowSnapshotPath(&f.mainWindow, f.store, plain);
}

TEST(SnapshotWindows, UnknownSizeOrMissingFileStillShowsTheWindow) {
    DialogFixture f("Language=english.ini\nSSPreview=1\n");
    const std::string path = drawSnapshot(f, "shot0001.png", 1280, 720);
    const std::pair<std::string, int> cases[] = {{path, 0}, {f.program.path() + "gone.png", 720}};
    for (const auto& [file, height] : cases) {
        whenOpen("SnapshotTipWnd", [&](ui::CXMLWnd& d) {
            auto* picture = d.FindControl<QLabel>(CDuiSnapshotTipWnd::kPictureName);
            EXPECT_EQ(picture->geometry(), height ? QRect(0, 0, 600, 337) : QRect(0, 0, 600, 338));
            EXPECT_EQ(picture->pixmap().isNull(), file != path);
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        dialogs::ShowSnapshotPreview(&f.mainWindow, f.config, f.store, file, 1280, height);
    }
    // The box was never ticked.
    EXPECT_TRUE(f.config.snapshotPreview);
    EXPECT_EQ(f.configText(), "[MPlayer]\nLanguage=english.ini\nSSPreview=1\n");
}

}  // namespace

// The export's dialog in German: its buttons and its numbers follow the
// language, and it tells a proposal taken unchanged from a stretch set.
TEST(ExportDialogLanguage, ButtonsAndDecimalSignFollowTheLanguage) {
    DialogFixture f("Language=german.ini\n");
    ExportDialog dialog(f.store, false, &f.mainWindow);
    dialog.SetStretch(-9.5, 30, true);
    const auto buttons = dialog.findChildren<QPushButton*>();
    QStringList names;
    for (const QPushButton* b : buttons) names << b->text();
    EXPECT_TRUE(names.contains("Abbrechen")) << names.join('|').toStdString();
    QDoubleSpinBox* start = dialog.findChildren<QDoubleSpinBox*>().front();
    EXPECT_TRUE(start->text().startsWith("-9,5")) << start->text().toStdString();
    EXPECT_FALSE(dialog.Changed());
    start->setValue(-5.0);
    EXPECT_TRUE(dialog.Changed());
    // The zone it writes times in, and the report's fields, empty each time it opens.
    dialog.ShowZone("+01:00");
    EXPECT_EQ(dialog.ZoneLine(), "Zeiten werden in +01:00 angegeben");
    // The report's three fields, beside the seal's key, certificate and password.
    EXPECT_EQ(dialog.findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly).size(), 6);
    EXPECT_EQ(dialog.CaseReference() + dialog.Vehicle() + dialog.Note(), "");
}

// The seal's key and certificate are remembered for the next export; the
// key's password never reaches the settings file.
TEST(ExportDialogSeal, KeyAndCertificateRememberedPasswordNever) {
    DialogFixture f("Language=english.ini\n");
    {
        ExportDialog dialog(f.store, false, &f.mainWindow);
        dialog.findChild<QLineEdit*>("ExportSignKey")->setText("/keys/me.key");
        dialog.findChild<QLineEdit*>("ExportSignCert")->setText("/keys/me.pem");
        dialog.findChild<QLineEdit*>("ExportKeyPassword")->setText("s3cret");
        dialog.findChild<QCheckBox*>("ExportTimestampRequest")->setChecked(true);
        EXPECT_EQ(dialog.KeyPassword(), "s3cret");
        dialog.Remember();
    }
    EXPECT_EQ(f.configText().find("s3cret"), std::string::npos) << f.configText();
    ExportDialog again(f.store, false, &f.mainWindow);
    EXPECT_EQ(again.SignKey(), "/keys/me.key");
    EXPECT_EQ(again.SignCert(), "/keys/me.pem");
    EXPECT_EQ(again.KeyPassword(), "");
    EXPECT_TRUE(again.TimestampRequest());
}

// The export dialog's boxes for the journey's originals and a car's picture
// as shown start as the settings remember them; the verify window shows a folder that is no
// evidence folder as failing, one plain line per check, in the language.
TEST(EvidenceDialogs, OriginalsAreRememberedAndVerifyShowsItsLines) {
    DialogFixture f("Language=german.ini\nExportOriginals=1\n");
    ExportDialog dialog(f.store, false, &f.mainWindow);
    EXPECT_TRUE(dialog.Originals());
    // A car's picture as shown, in the inset's place: on until the user cleared it.
    ExportDialog car(f.store, true, &f.mainWindow, true);
    EXPECT_TRUE(car.AsShown());
    EXPECT_FALSE(car.Inset());
    f.store.WriteConfigInt(0, ExportDialog::kAsShownKey);
    EXPECT_FALSE(ExportDialog(f.store, true, &f.mainWindow, true).AsShown());
    testing_support::TempFolder folder;
    folder.write("<b>not evidence</b>.txt", "x");
    QPointer<VerifyWindow> window = VerifyWindow::Open(f.store, &f.mainWindow, QString::fromStdString(folder.path()));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->Finished(); }, 10000));
    EXPECT_FALSE(window->AllHold());
    EXPECT_TRUE(window->Lines().contains("FAILS  SHA256SUMS: not present")) << window->Lines().toStdString();
    EXPECT_TRUE(window->Lines().contains("FAILS  <b>not evidence</b>.txt: added")) << window->Lines().toStdString();
    EXPECT_TRUE(window->findChild<QLabel*>()->text().contains("Prüfungen")) << window->findChild<QLabel*>()->text().toStdString();
    window->close();
}
