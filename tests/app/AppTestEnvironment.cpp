// The QApplication of a test of the main window, created before the first
// test with the environment the program itself sets up first (the map's web
// view needs it), and gone after the last.
#include "app/StartupEnvironment.h"

#include <gtest/gtest.h>
#include <QApplication>

namespace {

class AppTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "veltara-app-test";
        static char* argv[] = {name, nullptr};
        StartupEnvironment::Apply();
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new AppTestEnvironment);

}  // namespace
