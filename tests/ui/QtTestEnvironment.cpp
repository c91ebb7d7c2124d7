// The QApplication of a GUI test executable, created before the first test
// and gone after the last.
#include <gtest/gtest.h>
#include <QApplication>

namespace {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "veltara-gui-test";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace
