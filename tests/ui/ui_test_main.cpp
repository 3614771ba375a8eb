// Runs one registered test class: test_ui <Class> [Qt Test options].
#include "ui_test_main.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <vector>

#include "ui/skin/font_setup.h"
#include "ui/skin/skin_folder.h"

namespace quen::test {

std::map<std::string, UiTestFactory>& ui_tests() {
    static std::map<std::string, UiTestFactory> tests;
    return tests;
}

std::string source_path(const char* relative) { return std::string(QUEN_SOURCE_DIR) + "/" + relative; }

}  // namespace quen::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quen::ui::install_program_fonts();
    quen::ui::set_skin_folder(QString::fromStdString(quen::test::source_path("resources/image")));
    auto& tests = quen::test::ui_tests();
    if (argc < 2 || !tests.count(argv[1])) {
        std::fprintf(stderr, "usage: test_ui <Class> [options]; classes:\n");
        for (const auto& [name, _] : tests) std::fprintf(stderr, "  %s\n", name.c_str());
        return 2;
    }
    std::vector<char*> args{argv[0]};
    for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
    std::unique_ptr<QObject> test = tests[argv[1]]();
    return QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
}
