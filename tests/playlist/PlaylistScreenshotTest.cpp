// The playlist panel as the player shows it, on the dark theme: a dozen
// clips, one playing, the mouse over another row's delete button. Writes
// playlist.png for the docs and checks that the marks are visible.
#include "config/ConfigStore.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlaylistView.h"
#include "support/TempFolder.h"
#include "ui/UiLibrary.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>

using testing_support::TempFolder;

namespace {

int countNear(const QImage& image, const QRect& area, QColor color) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c(image.pixel(x, y));
            n += std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                     std::abs(c.blue() - color.blue()) <
                 40;
        }
    }
    return n;
}

}  // namespace

TEST(PlaylistScreenshot, ADozenClipsOnTheDarkTheme) {
    ui::setResourcePath(QStringLiteral(VELTARA_TEST_DATA_DIR "skin/"));
    ui::installStyle();
    ASSERT_TRUE(ui::loadStyleSheet("style.qss"));

    TempFolder dir;
    for (int i = 0; i < 14; ++i) {
        const char side = i % 2 ? 'F' : 'R';
        dir.write(QString("2016_0520_10%1_%2.MP4").arg(27 + i / 2).arg(side).toStdString(), "");
    }
    dir.write("2016_0520_1028_R_rear_camera_parking_mode_event.MP4", "");  // ends in "..."
    dir.write("thumbs.db", "");

    // The panel of the main window: header, divider, tree.
    QWidget panel;
    panel.setObjectName("playlist");
    panel.setAttribute(Qt::WA_StyledBackground);
    panel.resize(380, 334);
    auto* layout = new QVBoxLayout(&panel);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(0);
    auto* header = new QLabel("Playlist");
    header->setObjectName("playlistHeader");
    header->setContentsMargins(14, 0, 0, 0);
    header->setFixedHeight(46);
    layout->addWidget(header);
    auto* divider = new QFrame;
    divider->setObjectName("playlistDivider");
    divider->setFrameShape(QFrame::HLine);
    layout->addWidget(divider);
    auto* tree = new CPlayListTreeViewUI;
    tree->setObjectName("treePlaylist");
    tree->setFrameShape(QFrame::NoFrame);
    layout->addWidget(tree);

    PlaylistView view;
    view.Bind(tree);
    TempFolder program, documents;
    program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\n");
    ConfigStore store(program.path());
    store.InitConfigPaths(documents.path());
    view.Controller().LoadAcceptedExtensions(store);
    view.Controller().AddFolderOfFile(dir.path(), "2016_0520_1029_F.MP4");
    ASSERT_EQ(tree->GetCount(), 15);
    ASSERT_EQ(view.Controller().GetPlayList().GetCurrent(), 5);  // "F" before "R"

    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    tree->scrollToTop();
    const QRect hotButton = tree->GetDeleteButtonRect(8);
    ASSERT_FALSE(hotButton.isEmpty());
    QMouseEvent move(QEvent::MouseMove, QPointF(hotButton.center()),
                     tree->viewport()->mapToGlobal(QPointF(hotButton.center())), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(tree->viewport(), &move);
    QTest::qWait(50);

    const QImage image = panel.grab().toImage();
    const QDir out(QStringLiteral(VELTARA_TEST_SCREENSHOT_DIR));
    ASSERT_TRUE(out.mkpath("."));
    EXPECT_TRUE(image.save(out.filePath("playlist.png")));

    const QPoint origin = tree->viewport()->mapTo(&panel, QPoint(0, 0));
    auto rowArea = [&](int row) { return tree->visualRect(tree->model()->index(row, 0)).translated(origin); };
    EXPECT_GT(countNear(image, rowArea(5), QColor(0x00, 0x80, 0xFF)), 30);                   // the playing name
    EXPECT_GT(countNear(image, hotButton.translated(origin), QColor(0xff, 0x7b, 0x7b)), 8);  // hot button
    EXPECT_GT(countNear(image, rowArea(3), QColor(0xC8, 0xC6, 0xCB)), 30);                   // a plain name
    // Dark all over: the panel is not painted in a light default.
    EXPECT_GT(countNear(image, image.rect(), QColor(0x17, 0x1a, 0x20)), image.width() * image.height() / 2);
}
