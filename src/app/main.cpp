// quenfora: the window program.
#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/demo/demo_session.h"
#include "app/main_dlg.h"
#include "app/quit_on_signal.h"
#include "ui/dialogs/msg_box.h"
#include "ui/skin/font_setup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // What Qt left of the command line is the program's own.
    std::vector<std::string> arguments(argv, argv + argc);
    quen::app::ParsedArguments parsed = quen::app::parse_app_arguments(arguments);
    if (!parsed.run) {
        std::fputs(parsed.message.c_str(), parsed.exit_code == 0 ? stdout : stderr);
        return parsed.exit_code;
    }
    QApplication::setApplicationName("quenfora");
    QApplication::setApplicationDisplayName("Quenfora Corvalin for Android");
    QApplication::setDesktopFileName("quenfora");
    quen::ui::install_program_fonts();

    quen::app::AppOptions& options = parsed.options;
    std::unique_ptr<quen::app::DemoSession> demo;
    if (options.demo) {
        std::string error;
        demo = quen::app::DemoSession::create(options.temp_folder, error);
        if (!demo) {
            std::fprintf(stderr, "quenfora: the demo cannot start: %s\n", error.c_str());
            quen::ui::CMsgBox::show_box(quen::ui::CMsgBox::kError, quen::ui::CMsgBox::kOkButton,
                                        QString::fromStdString("The demo cannot start: " + error));
            return 1;
        }
        demo->activate();
        options.adb = demo->helper();
        options.images.insert(options.images.begin(), demo->card_image());
        options.system_disks = false;
    }

    int exit_code = 0;
    {
        quen::app::CMainDlg window(options);
        QObject::connect(&window, &quen::app::CMainDlg::finished, &app, [&exit_code](int code) {
            exit_code = code;
            QCoreApplication::exit(code);
        });
        const quen::app::QuitOnSignal quit([&window] { window.close_program(0); });
        window.show();
        app.exec();
    }
    // The demo's folder goes with the session; the work folder (with the
    // preview pictures) went when the window closed.
    demo.reset();
    return exit_code;
}
