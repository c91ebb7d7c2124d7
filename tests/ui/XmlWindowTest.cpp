// Windows built from skins: which classes reach CreateControl, sub-layouts,
// FindControl, notifications and the message map, keys, and the close codes
// of ShowModal.
#include "support/TempFolder.h"
#include "ui/CXMLWnd.h"
#include "ui/EventSource.h"
#include "ui/UiLibrary.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

const char* kMainSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Main</class>
 <widget class="QWidget" name="Main">
  <property name="geometry"><rect><x>0</x><y>0</y><width>400</width><height>300</height></rect></property>
  <layout class="QVBoxLayout" name="mainLayout">
   <item><widget class="QPushButton" name="btnA"><property name="text"><string>A</string></property></widget></item>
   <item><widget class="QPushButton" name="closebtn"/></item>
   <item><widget class="QLabel" name="label"><property name="text"><string>&lt;b&gt;bold&lt;/b&gt;</string></property></widget></item>
   <item><widget class="QLineEdit" name="edit"/></item>
   <item><widget class="QComboBox" name="combo"/></item>
   <item><widget class="SubPanel" name="subOuter"/></item>
   <item><widget class="Fancy" name="fancy"/></item>
   <item><widget class="Mystery" name="mystery"/></item>
  </layout>
 </widget>
 <customwidgets>
  <customwidget><class>SubPanel</class><extends>QWidget</extends><header>x.h</header></customwidget>
  <customwidget><class>Fancy</class><extends>QLabel</extends><header>x.h</header></customwidget>
 </customwidgets>
</ui>
)";

// A sub-layout that names itself again: building must stop, not recurse.
const char* kSubSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Sub</class>
 <widget class="QWidget" name="SubRoot">
  <layout class="QHBoxLayout" name="subLayout">
   <item><widget class="QPushButton" name="btnInner"/></item>
   <item><widget class="Loop" name="loop"/></item>
  </layout>
 </widget>
</ui>
)";

class TestWindow : public ui::CXMLWnd {
public:
    using CXMLWnd::CXMLWnd;

    QStringList asked;
    QStringList log;
    std::vector<uintptr_t> keys;
    int inits = 0;
    int destroys = 0;

    QWidget* CreateControl(const QString& className, QWidget* parent) override {
        asked << className;
        if (className == "SubPanel" || className == "Loop") return BuildSubLayout("Sub.xml", parent);
        return nullptr;
    }
    void InitWindow() override { ++inits; }
    void OnDestroy() override { ++destroys; }
    void Notify(const ui::Notification& msg) override {
        log << "notify " + msg.type + " " + msg.senderName();
        CXMLWnd::Notify(msg);
    }
    void OnClick(const ui::Notification& msg) override {
        log << "click " + msg.senderName();
        CXMLWnd::OnClick(msg);
    }
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        if (message == ui::WM_DROPFILES) dropped = reinterpret_cast<const ui::DroppedFiles*>(wParam)->paths;
        return CXMLWnd::HandleMessage(message, wParam, lParam);
    }
    QStringList dropped;
    intptr_t MessageHandler(uint32_t message, uintptr_t wParam, intptr_t lParam, bool& handled) override {
        if (message == ui::WM_KEYDOWN) keys.push_back(wParam);
        return CXMLWnd::MessageHandler(message, wParam, lParam, handled);
    }
};

class XmlWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        folder_.write("Main.xml", kMainSkin);
        folder_.write("Sub.xml", kSubSkin);
        ui::setResourcePath(QString::fromStdString(folder_.path()));
    }
    testing_support::TempFolder folder_;
};

TEST_F(XmlWindow, AsksCreateControlOnlyForClassesQtDoesNotKnow) {
    TestWindow window("Main.xml");
    ASSERT_TRUE(window.Create(nullptr, "test"));
    EXPECT_EQ(window.inits, 1);
    // Loop is asked once, inside the sub-layout, and refused there.
    EXPECT_EQ(window.asked, (QStringList{"SubPanel", "Loop", "Fancy", "Mystery"}));

    // Controls inside a sub-layout are found; its root takes the outer name.
    QWidget* inner = window.FindControl("btnInner");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->window(), &window);
    EXPECT_NE(window.FindControl("subOuter"), nullptr);
    EXPECT_EQ(window.FindControl("SubRoot"), nullptr);
    EXPECT_EQ(window.FindControl(""), nullptr);
    EXPECT_EQ(window.FindControl("nothing"), nullptr);

    // Refused custom classes become the class they extend, else a plain widget.
    EXPECT_NE(window.FindControl<QLabel>("fancy"), nullptr);
    QWidget* mystery = window.FindControl("mystery");
    ASSERT_NE(mystery, nullptr);
    EXPECT_EQ(mystery->metaObject(), &QWidget::staticMetaObject);

    // A skin's label never interprets markup.
    EXPECT_EQ(window.FindControl<QLabel>("label")->textFormat(), Qt::PlainText);
}

TEST_F(XmlWindow, MissingOrBrokenSkinCreatesNoWindow) {
    TestWindow missing("Nope.xml");
    EXPECT_FALSE(missing.Create(nullptr, "x"));
    EXPECT_EQ(missing.inits, 0);

    folder_.write("Broken.xml", "<ui version=\"4.0\"><widget class=\"QWidget\"");
    TestWindow broken("Broken.xml");
    EXPECT_FALSE(broken.Create(nullptr, "x"));
}

TEST_F(XmlWindow, ClickRunsDelegatesThenNotifyThenOnClick) {
    TestWindow window("Main.xml");
    ASSERT_TRUE(window.Create(nullptr, "t"));
    auto* button = window.FindControl<QPushButton>("btnA");
    ASSERT_NE(button, nullptr);
    ui::EventSource* source = ui::EventSource::of(button);
    source->subscribe([&](const ui::Notification& n) {
        window.log << "delegate1 " + n.type;
        return false;  // stops the next delegate, not the window
    });
    source->subscribe([&](const ui::Notification&) {
        window.log << "delegate2";
        return true;
    });
    button->click();
    EXPECT_EQ(window.log, (QStringList{"delegate1 click", "notify click btnA", "click btnA"}));

    // A combo's selection is an "itemselect" with the new and previous index.
    window.log.clear();
    auto* combo = window.FindControl<QComboBox>("combo");
    combo->addItems({"a", "b", "c"});
    combo->setCurrentIndex(2);
    EXPECT_EQ(window.log.last(), "notify itemselect combo");
}

TEST_F(XmlWindow, KeyReachesMessageHandlerOnceAndEscapeCancels) {
    TestWindow window("Main.xml");
    ASSERT_TRUE(window.Create(nullptr, "t"));
    window.show();
    // The label ignores the key, so Qt hands it on to every parent.
    QTest::keyClick(window.FindControl("label"), Qt::Key_F8);
    EXPECT_EQ(window.keys, std::vector<uintptr_t>{static_cast<uintptr_t>(Qt::Key_F8)});
    EXPECT_FALSE(window.IsClosed());

    QTest::keyClick(window.FindControl("edit"), Qt::Key_Escape);
    EXPECT_TRUE(window.IsClosed());
    EXPECT_EQ(window.destroys, 1);
    EXPECT_EQ(window.ShowModal(), ui::IDCANCEL);
}

// Qt may build the next press where the last one was: a second press at
// the same address is still a press of its own, while one press handed on
// up the parents counts once.
TEST_F(XmlWindow, EveryPressCountsOnceEvenInTheSameEventObject) {
    TestWindow window("Main.xml");
    ASSERT_TRUE(window.Create(nullptr, "t"));
    window.show();
    const std::vector<uintptr_t> twice(2, static_cast<uintptr_t>(Qt::Key_F8));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_F8, Qt::NoModifier);

    // No control has the focus: the window itself takes the presses.
    QApplication::sendEvent(&window, &press);
    QApplication::sendEvent(&window, &release);
    QApplication::sendEvent(&window, &press);
    QApplication::sendEvent(&window, &release);
    EXPECT_EQ(window.keys, twice);

    // A held key: presses without a release between them.
    window.keys.clear();
    QApplication::sendEvent(&window, &press);
    QApplication::sendEvent(&window, &press);
    EXPECT_EQ(window.keys, twice);

    // A press a control takes, then one at its parent.
    window.keys.clear();
    QKeyEvent pressA(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QKeyEvent releaseA(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
    QWidget* edit = window.FindControl("edit");
    QApplication::sendEvent(edit, &pressA);
    QApplication::sendEvent(edit, &releaseA);
    QApplication::sendEvent(edit->parentWidget(), &pressA);
    EXPECT_EQ(window.keys, std::vector<uintptr_t>(2, static_cast<uintptr_t>(Qt::Key_A)));

    // As the platform delivers them: to the native window, then the focused
    // control and its parents.
    window.keys.clear();
    window.activateWindow();
    window.FindControl("edit")->setFocus();
    QTest::keyClick(window.windowHandle(), Qt::Key_F8);
    QTest::keyClick(window.windowHandle(), Qt::Key_F8);
    EXPECT_EQ(window.keys, twice);
    // The test driver posts to the native window.
    window.keys.clear();
    for (int i = 0; i < 2; ++i) {
        QCoreApplication::postEvent(window.windowHandle(), new QKeyEvent(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier));
        QCoreApplication::postEvent(window.windowHandle(),
                                    new QKeyEvent(QEvent::KeyRelease, Qt::Key_F8, Qt::NoModifier));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(window.keys, twice);
}

TEST_F(XmlWindow, DroppedLocalFilesReachHandleMessage) {
    TestWindow window("Main.xml");
    ASSERT_TRUE(window.Create(nullptr, "t"));
    window.DragAcceptFiles(true);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/clips/a b.mp4"), QUrl("https://example.org/c.mp4"),
                  QUrl::fromLocalFile("/clips/\u00e9t\u00e9.mp4")});
    // A drop goes to the widget that accepted the drag's entry.
    auto dragAndDrop = [&](QMimeData* data) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        return enter.isAccepted();
    };
    EXPECT_TRUE(dragAndDrop(&mime));
    EXPECT_EQ(window.dropped, (QStringList{"/clips/a b.mp4", "/clips/\u00e9t\u00e9.mp4"}));

    // Nothing local: refused, no message.
    window.dropped.clear();
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/c.mp4")});
    EXPECT_FALSE(dragAndDrop(&remote));
    EXPECT_TRUE(window.dropped.isEmpty());
}

TEST_F(XmlWindow, ShowModalReturnsTheCodeGivenToClose) {
    QWidget owner;
    {
        TestWindow dialog("Main.xml");
        ASSERT_TRUE(dialog.Create(&owner, "dialog"));
        EXPECT_TRUE(dialog.isWindow());
        EXPECT_EQ(dialog.parentWidget(), &owner);
        QTimer::singleShot(0, &dialog, [&] {
            EXPECT_TRUE(dialog.isModal());
            dialog.Close(ui::IDOK);
            dialog.Close(ui::IDCANCEL);  // too late: the first code stays
        });
        EXPECT_EQ(dialog.ShowModal(), ui::IDOK);
        EXPECT_EQ(dialog.destroys, 1);
    }
    {
        // Closed by the window manager: Cancel.
        TestWindow dialog("Main.xml");
        ASSERT_TRUE(dialog.Create(&owner, "dialog"));
        QTimer::singleShot(0, &dialog, [&] { dialog.close(); });
        EXPECT_EQ(dialog.ShowModal(), ui::IDCANCEL);
        EXPECT_EQ(dialog.destroys, 1);
    }
    {
        // The skin's standard close control: Cancel, never OK.
        TestWindow dialog("Main.xml");
        ASSERT_TRUE(dialog.Create(&owner, "dialog"));
        QTimer::singleShot(0, &dialog, [&] { dialog.FindControl<QPushButton>("closebtn")->click(); });
        EXPECT_EQ(dialog.ShowModal(), ui::IDCANCEL);
    }
    {
        // Closed before it ran: ShowModal returns at once.
        TestWindow dialog("Main.xml");
        ASSERT_TRUE(dialog.Create(&owner, "dialog"));
        dialog.Close(ui::IDOK);
        EXPECT_EQ(dialog.ShowModal(), ui::IDOK);
        EXPECT_FALSE(dialog.isVisible());
    }
}

}  // namespace
