#pragma once
// The window's tests are Qt Test classes in one program; each registers
// itself here and runs as its own ctest test ("test_ui <Class>").
#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quen::test {

using UiTestFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, UiTestFactory>& ui_tests();

struct UiTestRegistration {
    UiTestRegistration(const char* name, UiTestFactory f) { ui_tests()[name] = std::move(f); }
};

// The source tree's skin and template.
std::string source_path(const char* relative);

}  // namespace quen::test

#define QUEN_UI_TEST(Class) \
    static const quen::test::UiTestRegistration Class##_registration(#Class, [] { return std::make_unique<Class>(); })
