// The QApplication of a GUI test executable, created before the first test
// and gone after the last. Tests that build the main window (whose map is a
// web view) are compiled with VELTARA_TEST_STARTUP_ENVIRONMENT: they first get
// the environment the program itself sets up before its QApplication.
#include <gtest/gtest.h>
#include <QApplication>

#ifdef VELTARA_TEST_STARTUP_ENVIRONMENT
#include "app/StartupEnvironment.h"
#endif

namespace {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "veltara-gui-test";
        static char* argv[] = {name, nullptr};
#ifdef VELTARA_TEST_STARTUP_ENVIRONMENT
        StartupEnvironment::Apply();
#endif
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
