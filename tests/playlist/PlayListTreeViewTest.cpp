// The playlist tree on offscreen Qt: rows from nodes, the playing mark, the
// delete buttons and activation, driven by real mouse and key events.
#include "platform/RecordingMessageTarget.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlayListNodeModel.h"
#include "playlist/PlaylistMessages.h"
#include "playlist/PlaylistTreeAdapter.h"
#include "ui/CXMLWnd.h"
#include "ui/EventSource.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTextDocument>
#include <memory>

namespace {

// A window that records what its controls tell it.
class RecordingWindow : public ui::CXMLWnd {
public:
    RecordingWindow() : CXMLWnd("none.xml") {}
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
    void Notify(const ui::Notification& msg) override { notifications.push_back(msg); }

    std::vector<platform::WindowMessage> messages;
    std::vector<ui::Notification> notifications;
};

// What the system delivers for a double-click: press, release, double-click, release.
void doubleClick(QWidget* widget, QPoint pos) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

// A shown tree of `count` rows set up as the player sets them up.
struct ShownTree {
    RecordingWindow window;
    CPlayListTreeViewUI* tree = new CPlayListTreeViewUI(&window);
    PlaylistTreeAdapter adapter{tree};

    explicit ShownTree(int count) {
        window.resize(320, 300);
        tree->setGeometry(0, 0, 320, 300);
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) names.push_back("clip" + std::to_string(i) + ".mp4");
        adapter.AddNodes({names.begin(), names.end()});
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QWidget* viewport() const { return tree->viewport(); }
    QPoint textPoint(int row) const {
        const QRect r = tree->visualRect(tree->model()->index(row, 0));
        return QPoint(r.left() + 20, r.center().y());
    }
    int postedDeletes() {
        QCoreApplication::processEvents();
        int n = 0;
        for (const auto& m : window.messages) n += m.message == WM_PLAYLIST_DELETED;
        return n;
    }
    std::vector<ui::Notification> activations() const {
        std::vector<ui::Notification> out;
        for (const auto& n : window.notifications) {
            if (n.type == ui::UI_NOTIFY_ITEMACTIVATE) out.push_back(n);
        }
        return out;
    }
};

}  // namespace

TEST(PlayListTreeView, RowsShowTheirNamesAsPlainText) {
    CPlayListTreeViewUI tree;
    PlaylistTreeAdapter adapter(&tree);
    const std::string markup = "<b>bold</b> & <i>x</i>.mp4";
    const std::string umlaut =
        "\xC3\x9C"
        "berland 2016.MP4";
    adapter.AddNodes({"a.mp4", markup, umlaut});
    ASSERT_EQ(tree.GetCount(), 3);
    const QAbstractItemModel* model = tree.model();
    EXPECT_EQ(model->index(2, 0).data().toString(), QString::fromUtf8(umlaut));
    EXPECT_EQ(model->index(0, 0).data(Qt::ToolTipRole).toString(), "a.mp4");
    EXPECT_EQ(tree.GetNodeAt(1)->GetToolTip(), QString::fromUtf8(markup));
    // QToolTip would read the name as markup: what it shows must be the name.
    QTextDocument shown;
    shown.setHtml(model->index(1, 0).data(Qt::ToolTipRole).toString());
    EXPECT_EQ(shown.toPlainText(), QString::fromUtf8(markup));
}

TEST(PlayListTreeView, RowsTakeTheSetUpOfThePlayer) {
    ShownTree t(3);
    const CPlayListNodeUI* node = t.tree->GetNodeAt(0);
    ASSERT_NE(node, nullptr);
    const PlayListNodeStyle& s = node->Style();
    EXPECT_EQ(s.height, 22);
    EXPECT_EQ(s.inset, QMargins(7, 0, 0, 0));
    EXPECT_EQ(s.textColor, QColor(0xC8, 0xC6, 0xCB));
    EXPECT_EQ(s.playingTextColor, QColor(0x00, 0x80, 0xFF));  // opaque, whatever the alpha byte
    EXPECT_TRUE(s.endEllipsis);
    EXPECT_EQ(s.textAlignment, Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(s.deleteButtonSize, QSize(18, 18));
    EXPECT_EQ(s.deleteNormal.file, "btn_delete.png");
    EXPECT_EQ(s.deleteNormal.source, QRect(0, 0, 18, 18));
    EXPECT_EQ(s.deleteHot.source, QRect(19, 0, 18, 18));
    EXPECT_EQ(s.deletePushed.source, QRect(38, 0, 18, 18));
    EXPECT_EQ(t.tree->visualRect(t.tree->model()->index(1, 0)).height(), 22);

    // Bad values leave the row as it was.
    CPlayListNodeUI n = *node;
    EXPECT_FALSE(n.SetAttribute("height", "tall"));
    EXPECT_FALSE(n.SetAttribute("inset", "1,2,3"));
    EXPECT_FALSE(n.SetAttribute("itemplayingtextcolor", "blue"));
    EXPECT_FALSE(n.SetAttribute("nosuch", "1"));
    EXPECT_TRUE(n.SetAttribute("deleteattr", "width=\"20\" normalimage=\"file='x.png"));  // cut short: width kept
    EXPECT_EQ(n.Style().height, 22);
    EXPECT_EQ(n.Style().deleteButtonSize, QSize(20, 18));
    EXPECT_EQ(n.Style().deleteNormal.file, "btn_delete.png");
    // Rows set up alike share their set-up; changing one leaves the others.
    EXPECT_EQ(&t.tree->GetNodeAt(1)->Style(), &t.tree->GetNodeAt(2)->Style());
    EXPECT_EQ(t.tree->GetNodeAt(1)->Style().deleteButtonSize, QSize(18, 18));
}

TEST(PlayListTreeView, ThePlayingRowIsDrawnInThePlayingColour) {
    ShownTree t(4);
    t.tree->SetPlayingNode(2, true);
    t.tree->SetPlayingNode(9, true);  // ignored
    t.tree->SetPlayingNode(-1, true);
    const QImage image = t.viewport()->grab().toImage();
    auto bluePixels = [&](int row) {
        const QRect r = t.tree->visualRect(t.tree->model()->index(row, 0));
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) n += QColor(image.pixel(x, y)) == QColor(0x00, 0x80, 0xFF);
        }
        return n;
    };
    EXPECT_GT(bluePixels(2), 20);
    EXPECT_EQ(bluePixels(1), 0);
    EXPECT_EQ(bluePixels(3), 0);
    t.tree->SetPlayingNode(2, false);
    EXPECT_FALSE(t.tree->GetNodeAt(2)->IsPlaying());

    // A playing row out of view is scrolled to.
    ShownTree many(200);
    for (const int row : {150, 3}) {
        many.tree->SetPlayingNode(row, true);
        EXPECT_TRUE(many.viewport()->rect().contains(many.tree->visualRect(many.tree->model()->index(row, 0)))) << row;
    }
}

TEST(PlayListTreeView, ADeleteButtonClickPostsTheRowToTheWindow) {
    ShownTree t(5);
    t.tree->SelectItem(1, false);
    const QRect button = t.tree->GetDeleteButtonRect(3);
    ASSERT_FALSE(button.isEmpty());
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, button.center());
    ASSERT_EQ(t.postedDeletes(), 1);
    const platform::WindowMessage m = t.window.messages.back();
    EXPECT_EQ(m.lParam, 3);
    EXPECT_EQ(t.tree->GetDeleteItemIndex(), 3);
    EXPECT_EQ(t.tree->GetDeleteItemIndex(m.wParam), 3);
    EXPECT_EQ(t.tree->GetCurSel(), 1);  // the click did not select its row
    EXPECT_TRUE(t.activations().empty());

    // After rows above it went, the message still names the clicked row.
    t.tree->RemoveAt(0);
    EXPECT_EQ(t.tree->GetDeleteItemIndex(m.wParam), 2);
    t.tree->RemoveAt(2);
    EXPECT_EQ(t.tree->GetDeleteItemIndex(m.wParam), -1);
    EXPECT_EQ(t.tree->GetDeleteItemIndex(), -1);
    EXPECT_EQ(t.tree->GetDeleteItemIndex(0), -1);
}

TEST(PlayListTreeView, OnlyAPressAndReleaseOnTheSameButtonIsAClick) {
    ShownTree t(3);
    const QRect b0 = t.tree->GetDeleteButtonRect(0);
    const QRect b1 = t.tree->GetDeleteButtonRect(1);
    QTest::mousePress(t.viewport(), Qt::LeftButton, {}, b0.center());
    EXPECT_EQ(t.tree->DeleteButtonState(t.tree->GetNodeAt(0)->GetKey()), CPlayListTreeViewUI::ButtonState::Pushed);
    QTest::mouseMove(t.viewport(), b1.center());
    QTest::mouseRelease(t.viewport(), Qt::LeftButton, {}, b1.center());
    QTest::mouseClick(t.viewport(), Qt::RightButton, {}, b1.center());
    EXPECT_EQ(t.postedDeletes(), 0);

    // A click on the name selects the row and deletes nothing.
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, t.textPoint(2));
    EXPECT_EQ(t.tree->GetCurSel(), 2);
    EXPECT_EQ(t.postedDeletes(), 0);
}

TEST(PlayListTreeView, ADoubleClickOnAButtonIsTwoClicksOfOneRowAndNoActivation) {
    ShownTree t(3);
    const QPoint button = t.tree->GetDeleteButtonRect(1).center();
    doubleClick(t.viewport(), button);
    ASSERT_EQ(t.postedDeletes(), 2);
    EXPECT_EQ(t.window.messages[0].wParam, t.window.messages[1].wParam);
    EXPECT_TRUE(t.activations().empty());
}

TEST(PlayListTreeView, ActivationTellsTheWindowTheRow) {
    ShownTree t(4);
    doubleClick(t.viewport(), t.textPoint(2));
    ASSERT_EQ(t.activations().size(), 1u);
    EXPECT_EQ(t.activations()[0].wParam, 2u);
    EXPECT_EQ(t.activations()[0].sender, t.tree);

    t.tree->SelectItem(3, true);
    QTest::keyClick(t.tree, Qt::Key_Return);
    ASSERT_EQ(t.activations().size(), 2u);
    EXPECT_EQ(t.activations()[1].wParam, 3u);
}

TEST(PlayListTreeView, AGivenTargetTakesTheMessagesAndProgrammaticClicksCount) {
    ShownTree t(2);
    platform::RecordingMessageTarget target;
    t.tree->SetMessageTarget(&target);
    EXPECT_TRUE(t.tree->ClickDeleteButton(1));
    EXPECT_FALSE(t.tree->ClickDeleteButton(2));
    EXPECT_FALSE(t.tree->ClickDeleteButton(-1));
    ASSERT_EQ(target.countOf(WM_PLAYLIST_DELETED, target.messages().at(0).wParam), 1u);
    EXPECT_EQ(t.tree->GetDeleteItemIndex(target.messages()[0].wParam), 1);
    EXPECT_EQ(t.postedDeletes(), 0);
}

TEST(PlayListTreeView, SelectionAndRowsOutsideTheTreeAreIgnored) {
    ShownTree t(3);
    EXPECT_TRUE(t.tree->SelectItem(2, true));
    EXPECT_EQ(t.tree->GetCurSel(), 2);
    EXPECT_TRUE(t.tree->hasFocus());
    EXPECT_FALSE(t.tree->SelectItem(3, false));
    EXPECT_EQ(t.tree->GetCurSel(), 2);
    EXPECT_TRUE(t.tree->SelectItem(-1, false));
    EXPECT_EQ(t.tree->GetCurSel(), -1);
    EXPECT_FALSE(t.tree->RemoveAt(3));
    EXPECT_EQ(t.tree->GetNodeAt(3), nullptr);
    EXPECT_TRUE(t.tree->GetDeleteButtonRect(7).isEmpty());
    t.tree->RemoveAll();
    EXPECT_EQ(t.tree->GetCount(), 0);
    EXPECT_FALSE(t.tree->ClickDeleteButton(0));
}
