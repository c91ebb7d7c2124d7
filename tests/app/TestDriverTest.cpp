// The test driver in the program's own process, offscreen: its socket, the
// dump, commands that act as the user does, and clients that misbehave.
#include "app/testdriver/TestDriver.h"
#include "support/ShellInstallation.h"
#include "ui/ControlText.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QCheckBox>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// A client on a plain socket; waiting for answers keeps the window's event
// loop running, as the driver is served there.
class Client {
public:
    explicit Client(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    ~Client() { ::close(fd_); }

    bool connected() const { return connected_; }
    void send(const std::string& text) {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                QCoreApplication::processEvents();  // full: let the driver read
            }
        }
    }
    // The next answer line, or "" when none came in time or the driver hung up.
    std::string line(int timeoutMs = 3000) {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < end) {
            if (const size_t at = buffer_.find('\n'); at != std::string::npos) {
                std::string answer = buffer_.substr(0, at);
                buffer_.erase(0, at + 1);
                return answer;
            }
            QCoreApplication::processEvents();
            if (!readSome()) return {};
        }
        return {};
    }
    // The answer as an object that can be looked into ("player"/"state").
    const QJsonObject ask(const std::string& command) {
        send(command + "\n");
        return QJsonDocument::fromJson(QByteArray::fromStdString(line())).object();
    }
    // True once the driver has closed the connection (reading what is left).
    bool hungUp(int timeoutMs) {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < end) {
            QCoreApplication::processEvents();
            if (!readSome()) return true;
            buffer_.clear();
        }
        return false;
    }

private:
    // False at the end of the stream.
    bool readSome() {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0) return true;
        char chunk[65536];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) buffer_.append(chunk, static_cast<size_t>(n));
        return n > 0 || (n < 0 && errno == EAGAIN);
    }

    int fd_ = -1;
    bool connected_ = false;
    std::string buffer_;
};

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        window = install.startWindow();
        ASSERT_NE(window, nullptr);
        path = install.home.path() + "driver.sock";
        driver = std::make_unique<TestDriver>(*window, QString::fromStdString(path));
        ASSERT_TRUE(driver->Listen());
    }
    void settle() { QTest::qWait(30); }

    ShellInstallation install;
    std::unique_ptr<CDuiFrameWnd> window;
    std::string path;
    std::unique_ptr<TestDriver> driver;
};

}  // namespace

TEST_F(Driver, ListensOnAnOwnerOnlySocketThatGoesWithIt) {
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    driver.reset();
    EXPECT_NE(::lstat(path.c_str(), &info), 0);

    // A socket file left by a run that died is replaced; any other file is kept.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    driver = std::make_unique<TestDriver>(*window, QString::fromStdString(path));
    ASSERT_TRUE(driver->Listen());
    EXPECT_TRUE(Client(path).connected());
    driver.reset();

    const std::string plain = install.home.write("plain", "keep me");
    TestDriver refused(*window, QString::fromStdString(plain));
    EXPECT_FALSE(refused.Listen());
    EXPECT_EQ(install.home.read("plain"), "keep me");
}

TEST_F(Driver, DumpGivesEveryMemberAndTextsEscapedOnOneLine) {
    const QString awkward = QString::fromUtf8("quote \" back\\slash\nnew line \u00b0 <b>bold</b>");
    ui::setControlText(window->FindControl("TitleLabel"), awkward);
    Client client(path);
    ASSERT_TRUE(client.connected());
    client.send("dump\n");
    const std::string line = client.line();
    QJsonParseError error{};
    const QJsonObject dump = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line;

    EXPECT_EQ(dump["title"].toString(), "Veltara DVR Player");
    EXPECT_FALSE(dump["fullscreen"].toBool());
    EXPECT_EQ(dump["units"].toString(), "metric");
    const QJsonObject labels = dump["labels"].toObject();
    EXPECT_EQ(labels.size(), 8);
    EXPECT_EQ(labels["TitleLabel"].toString(), awkward);
    EXPECT_EQ(labels["LabelSpeed"].toString(), "Speed: 0 km/h");
    const QJsonObject visible = dump["visible"].toObject();
    EXPECT_EQ(visible.size(), 13);
    EXPECT_FALSE(visible["btnLayout"].toBool());  // no other camera plays along
    EXPECT_TRUE(visible["btnPlay"].toBool());
    EXPECT_FALSE(visible["btnPause"].toBool());
    EXPECT_EQ(dump["sliders"]["sliderVolume"]["value"].toInt(), 55);
    EXPECT_EQ(dump["sliders"]["sliderVolume"]["max"].toInt(), 100);
    EXPECT_EQ(dump["sliders"]["sliderProgress"]["max"].toInt(), 0);
    EXPECT_EQ(dump["player"]["state"].toInt(), 0);
    EXPECT_EQ(dump["player"]["pid"].toInt(), 0);
    EXPECT_TRUE(dump["playlist"]["rows"].isArray());
    EXPECT_EQ(dump["playlist"]["current"].toInt(), -1);
    EXPECT_EQ(dump["track"]["readyPages"].toInt(), 0);
    EXPECT_TRUE(dump["map"]["marker"].isNull());
    // No "Map" setting: the Google page of the region, not there to load.
    EXPECT_EQ(dump["map"]["page"].toString(), "GoogleMap_Oversea.html");
    EXPECT_FALSE(dump["map"]["loaded"].toBool());
    EXPECT_EQ(dump["map"]["linePoints"].toInt(), 0);
    EXPECT_EQ(dump["chart"]["X"].toInt(), 0);
    EXPECT_EQ(dump["timeline"]["points"].toInt(), 0);
    EXPECT_EQ(dump["timeline"]["playhead_s"].toDouble(), 0.0);
}

TEST_F(Driver, CommandsActAsTheUserAndRefuseWhatTheUserCannotReach) {
    Client client(path);
    ASSERT_TRUE(client.connected());
    EXPECT_FALSE(client.ask("click btnPause")["ok"].toBool());  // hidden while idle
    EXPECT_FALSE(client.ask("click nothingHere")["ok"].toBool());
    EXPECT_FALSE(client.ask("click LabelSpeed")["ok"].toBool());
    EXPECT_FALSE(client.ask("fly away")["ok"].toBool());
    EXPECT_FALSE(client.ask("activate 0")["ok"].toBool());  // an empty playlist
    EXPECT_FALSE(client.ask("delete 0")["ok"].toBool());
    EXPECT_FALSE(client.ask("slide sliderVolume")["ok"].toBool());
    EXPECT_FALSE(client.ask("check btnFull 1")["ok"].toBool());
    EXPECT_FALSE(client.ask("select sliderVolume 1")["ok"].toBool());
    EXPECT_FALSE(client.ask("key NoSuchKey")["ok"].toBool());
    EXPECT_FALSE(client.ask("key Ctrl+")["ok"].toBool());
    EXPECT_FALSE(client.ask("key Ctrl+A, B")["ok"].toBool());  // one key, not a sequence
    for (const char* fraction : {"", "1.5", "-0.1", "nan", "inf", "half"})
        EXPECT_FALSE(client.ask(std::string("timelineclick ") + fraction)["ok"].toBool()) << fraction;

    EXPECT_TRUE(client.ask("click btnFull")["ok"].toBool());
    settle();
    EXPECT_TRUE(client.ask("dump")["fullscreen"].toBool());
    EXPECT_TRUE(client.ask("key Escape")["ok"].toBool());
    settle();
    EXPECT_FALSE(client.ask("dump")["fullscreen"].toBool());
    EXPECT_FALSE(window->IsClosed());

    // A user's slider move sets the volume; a program-set value would not.
    EXPECT_TRUE(client.ask("slide sliderVolume 70")["ok"].toBool());
    settle();
    EXPECT_EQ(window->Controller()->GetVolume(), 70);
    EXPECT_TRUE(client.ask("drop /nonexistent/clip.mp4\t/tmp")["ok"].toBool());
    settle();
    EXPECT_EQ(client.ask("dump")["player"]["state"].toInt(), 0);

    // While a modal dialog is open its controls are found, and the window's are out of reach.
    QDialog dialog(window.get());
    auto* box = new QCheckBox("again", &dialog);
    box->setObjectName("againBox");
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    settle();
    EXPECT_TRUE(client.ask("check againBox 1")["ok"].toBool());
    settle();
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(client.ask("click btnFull")["ok"].toBool());
    dialog.hide();

    EXPECT_TRUE(client.ask("quit")["ok"].toBool());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->IsClosed(); }, 2000));
}

TEST_F(Driver, ClientsThatMisbehaveAreDroppedWithoutHoldingTheWindow) {
    Client silent(path);
    ASSERT_TRUE(silent.connected());
    std::string many;
    for (int i = 0; i < 6000; ++i) many += "dump\n";
    silent.send(many);  // never reads the answers
    EXPECT_TRUE(silent.hungUp(10000));

    Client longLine(path);
    longLine.send(std::string(TestDriver::kMaxLine + 10, 'x'));
    EXPECT_TRUE(longLine.hungUp(5000));

    Client polite(path);
    EXPECT_EQ(polite.ask("dump")["title"].toString(), "Veltara DVR Player");
}
