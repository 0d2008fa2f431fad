// Widgets need an application; the offscreen platform needs no display. A test suite
// that uses widgets derives from QtApplicationTest; the platform chosen before comes
// back afterwards, for the tests that follow.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include <QApplication>

namespace talan::testing {

class QtApplicationTest : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        if (QApplication::instance() != nullptr) return;
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        platformBefore_ = platform != nullptr ? std::optional<std::string>(platform) : std::nullopt;
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "talan_tests";
        static char* argv[] = {name, nullptr};
        application_ = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        if (application_ == nullptr) return;
        delete application_;
        application_ = nullptr;
        if (platformBefore_) {
            setenv("QT_QPA_PLATFORM", platformBefore_->c_str(), 1);
        } else {
            unsetenv("QT_QPA_PLATFORM");
        }
    }

private:
    static inline QApplication* application_ = nullptr;
    static inline std::optional<std::string> platformBefore_;
};

}  // namespace talan::testing
